// Run only with Wine set to the Japanese ANSI code page (see run-with-code-page-932).
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
