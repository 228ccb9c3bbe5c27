#include "afx/AnsiBoundary.h"

#include <gtest/gtest.h>

// The suite runs Wine in an English locale: the ANSI code page is 1252 (the Japanese
// page 932 is tried in tests/common's code-page-932 program).
TEST(AnsiBoundary, OnlyTextsThePageCarriesComeThroughAndThenByteForByte)
{
    ASSERT_EQ(1252u, GetACP());
    struct Case {
        const wchar_t* wide;
        bool carried;
        const char* ansi;
    } cases[] = {
        {L"C:\\x\\a b.txt", true, "C:\\x\\a b.txt"},
        {L"C:\\x\\\u00e9t\u00e9.txt", true, "C:\\x\\\xe9t\xe9.txt"},
        {L"C:\\x\\\u20ac.txt", true, "C:\\x\\\x80.txt"},                   // in 1252, above 0x7F
        {L"C:\\x\\a\uff1eC:\uff3cx\uff3cc.txt", false, ""},                 // best fit: '>' and '\'
        {L"C:\\x\\Setup\uff0fFiles\\", false, ""},                          // best fit: '/'
        {L"C:\\x\\\u65e5\u672c.txt", false, ""},                            // not in the page: '?'
        {L"C:\\x\\?.txt", true, "C:\\x\\?.txt"},                            // a real '?' is kept
        {L"C:\\x\\\xd800.txt", false, ""},                                  // an unpaired surrogate
        {L"", true, ""},
    };
    for (const Case& c : cases) {
        CString ansi("left over");
        EXPECT_EQ(c.carried, AfxWideToAnsiExact(c.wide, ansi)) << testing::PrintToString(c.ansi);
        EXPECT_STREQ(c.ansi, ansi);
    }
    CString ansi("left over");
    EXPECT_FALSE(AfxWideToAnsiExact(nullptr, ansi));
    EXPECT_STREQ("", ansi);
}
