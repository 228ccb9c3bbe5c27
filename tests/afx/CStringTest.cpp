#include "afx/CString.h"

#include <gtest/gtest.h>

TEST(CString, FindGivesMinusOneWhenAbsent)
{
    CString text("C:\\Apps\\tarnel.dll");
    EXPECT_EQ(8, text.Find("tarnel.dll"));
    EXPECT_EQ(-1, text.Find("TARNEL.DLL"));
    EXPECT_EQ(2, text.Find('\\'));
    EXPECT_EQ(7, text.Find('\\', 3));
    EXPECT_EQ(7, text.ReverseFind('\\'));
    EXPECT_EQ(-1, CString().Find('x'));
}

TEST(CString, PiecesClampToTheText)
{
    CString text("abcdef");
    EXPECT_STREQ("ab", text.Left(2));
    EXPECT_STREQ("", text.Left(-1));
    EXPECT_STREQ("abcdef", text.Left(99));
    EXPECT_STREQ("cdef", text.Mid(2));
    EXPECT_STREQ("cd", text.Mid(2, 2));
    EXPECT_STREQ("", text.Mid(9));
    EXPECT_STREQ("ef", text.Right(2));
    EXPECT_STREQ("abcdef", text.Right(10));
}

TEST(CString, CaseChangesAsciiLettersOnly)
{
    CString text("FRA \xC9t\xE9");
    text.MakeLower();
    EXPECT_STREQ("fra \xC9t\xE9", text);
    text.MakeUpper();
    EXPECT_STREQ("FRA \xC9T\xE9", text);
}

TEST(CString, TrimAndFormat)
{
    CString text(" \t x y \r\n");
    text.TrimLeft();
    EXPECT_STREQ("x y \r\n", text);
    text.TrimRight();
    EXPECT_STREQ("x y", text);
    // All six white-space characters of the C run-time go at both ends; line breaks
    // inside the text stay.
    CString lines(" \v\f x\ny\r\nz \t\v\f\r\n");
    lines.TrimLeft();
    EXPECT_STREQ("x\ny\r\nz \t\v\f\r\n", lines);
    lines.TrimRight();
    EXPECT_STREQ("x\ny\r\nz", lines);
    CString formatted;
    formatted.Format("%s (%d)", "Access", 5);
    EXPECT_STREQ("Access (5)", formatted);
}

TEST(CString, ConcatenationAndComparison)
{
    CString a("C:\\");
    CString b = a + "dir" + '\\';
    EXPECT_STREQ("C:\\dir\\", b);
    EXPECT_TRUE(b == "C:\\dir\\");
    EXPECT_TRUE(b != a);
    EXPECT_LT(CString("1.4").Compare("1.5"), 0);
    EXPECT_EQ(0, CString("Wipe").CompareNoCase("WIPE"));
}

TEST(CString, BufferTakesTheTextUpToItsNull)
{
    CString text;
    char* buffer = text.GetBuffer(16);
    lstrcpyA(buffer, "abc");
    text.ReleaseBuffer();
    EXPECT_EQ(3, text.GetLength());
    EXPECT_STREQ("abc", text);
}

TEST(CString, SysStringComesFromTheAnsiCodePage)
{
    BSTR wide = CString("r\xE9pertoire").AllocSysString();
    ASSERT_NE(nullptr, wide);
    WCHAR expected[32];
    int count = MultiByteToWideChar(CP_ACP, 0, "r\xE9pertoire", -1, expected, 32);
    EXPECT_EQ(static_cast<UINT>(count - 1), SysStringLen(wide));
    EXPECT_EQ(0, lstrcmpW(expected, wide));
    SysFreeString(wide);
    BSTR empty = CString().AllocSysString();
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0u, SysStringLen(empty));
    SysFreeString(empty);
}
