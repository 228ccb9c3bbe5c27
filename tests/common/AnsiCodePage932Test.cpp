// Run only with Wine set to the Japanese ANSI code page (see run-with-code-page-932).
#include "afx/AnsiBoundary.h"
#include "common/InstallationDirectory.h"
#include "common/TarnelPolicyMgr.h"

#include <gtest/gtest.h>

TEST(TrailingBackslashCodePage932, DoubleByteCharacterEndingIn0x5CIsNotABackslash)
{
    // Under any other code page the cases below prove nothing, so that is a failure.
    ASSERT_EQ(932u, GetACP());
    ASSERT_TRUE(IsDBCSLeadByte(0x95));

    // 0x95 0x5C is one Shift-JIS character whose second byte has the backslash's code.
    const struct { const char* path; const char* expected; } cases[] = {
        {"C:\\\x95\x5C", "C:\\\x95\x5C\\"},
        {"\x95\x5C", "\x95\x5C\\"},
        {"C:\\\x95\x5C\\", "C:\\\x95\x5C\\"},
        {"C:\\\x95\x5C\x95\x5C", "C:\\\x95\x5C\x95\x5C\\"},
        {"C:\\a\\\x95\x5C" "a", "C:\\a\\\x95\x5C" "a\\"},
        {"C:\\a", "C:\\a\\"},
        {"C:\\a\\", "C:\\a\\"},
        {"", "\\"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(row.path)));
        EXPECT_EQ(std::string(row.expected), TarnelPolicyMgr().addTrailingBackslash(row.path).str());
    }
}

// A server or share name is read whole, double-byte characters included: the
// second byte 0x5C of one ends no name, and makes no share of what follows it.
TEST(InstallationDirectoryCodePage932, DoubleByteCharacterEndingIn0x5CIsNotASeparator)
{
    ASSERT_EQ(932u, GetACP());
    const struct { const char* directory; bool accepted; } cases[] = {
        {"\\\\\x95\x5C\\share\\", true},     // server 0x95 0x5C, share "share"
        {"\\\\server\\\x95\x5C\\", true},    // share 0x95 0x5C
        {"\\\\\x95\x5C\\", false},           // a server without a share
        {"\\\\\x95\x5C" "share\\", false},   // one server name, no share
        {"\\\\server\\\x95\x5C", false},     // a share not ended by a backslash
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(row.directory)));
        EXPECT_EQ(row.accepted, IsAbsoluteDirectory(row.directory));
    }
}

TEST(AnsiBoundaryCodePage932, JapaneseNamesComeThroughByteForByteAndBestFitsDoNot)
{
    ASSERT_EQ(932u, GetACP());
    CString ansi;
    // U+65E5 U+672C is 0x93 0xFA 0x96 0x7B in Shift-JIS; U+8868 is 0x95 0x5C.
    EXPECT_TRUE(AfxWideToAnsiExact(L"C:\\x\\\u65e5\u672c\u8868.txt", ansi));
    EXPECT_EQ(std::string("C:\\x\\\x93\xfa\x96\x7b\x95\x5c.txt"), ansi.str());
    // The fullwidth '>' is in Shift-JIS itself (0x81 0x84): it is carried as that.
    EXPECT_TRUE(AfxWideToAnsiExact(L"a\uff1eb", ansi));
    EXPECT_EQ(std::string("a\x81\x84" "b"), ansi.str());
    // U+00E9 is not in Shift-JIS; best fit would make it 'e'.
    EXPECT_FALSE(AfxWideToAnsiExact(L"C:\\x\\\u00e9.txt", ansi));
    EXPECT_STREQ("", ansi);
}
