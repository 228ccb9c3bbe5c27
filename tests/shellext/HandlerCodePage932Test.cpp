// Run only with Wine set to the Japanese ANSI code page (see
// tests/common/run-with-code-page-932): the handlers convert the names of a wide drop
// to code page 932, and the bridge they start runs in it too.
#include "ShellExtCases.h"

#include <gtest/gtest.h>

namespace {

std::string caseName(const ::testing::TestParamInfo<ShellExtCase>& info) { return info.param.dll; }

// The variants that take files; the zip variant's names are the same code.
std::vector<ShellExtCase> variantsTakingFiles()
{
    std::vector<ShellExtCase> cases;
    for (const ShellExtCase& c : kShellExtCases)
        if (!c.plainDirectoriesOnly) cases.push_back(c);
    return cases;
}

class HandlerCodePage932 : public ::testing::TestWithParam<ShellExtCase> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Dlls, HandlerCodePage932, ::testing::ValuesIn(variantsTakingFiles()), caseName);

// Double-byte names go through byte for byte, among them one whose second byte is a
// backslash (0x5C) and the fullwidth '>' and '\', which code page 932 carries as
// letters of their own. What 932 lacks (an e with an acute accent) refuses the
// selection, and the limit of 260 bytes counts the converted name: 127 double-byte
// letters after "C:\x\" make 259 bytes and fit, one letter more does not although
// it is only 133 characters wide.
TEST_P(HandlerCodePage932, NamesGoThroughByteForByteAndTheLimitCountsTheirBytes)
{
    ASSERT_EQ(932u, GetACP());
    const ShellExtCase& c = GetParam();
    UserLanguage lang("en");
    Installation install;
    const std::wstring longest = L"C:\\x\\" + std::wstring(127, L'\x65E5');
    std::string longestAnsi = "C:\\x\\";
    for (int i = 0; i < 127; ++i) longestAnsi += "\x93\xFA";
    ASSERT_EQ(259u, longestAnsi.size());
    struct {
        std::wstring wide;
        std::string ansi;
    } accepted[] = {
        {L"C:\\x\\\x65E5\x672C.txt", "C:\\x\\\x93\xFA\x96\x7B.txt"},
        {L"C:\\x\\\x8868\\a.txt", "C:\\x\\\x95\x5C\\a.txt"},
        {L"C:\\x\\a\xFF1E" L"C:\xFF3C" L"x\xFF3C" L"c.txt", "C:\\x\\a\x81\x84" "C:\x81\x5F" "x\x81\x5F" "c.txt"},
        {longest, longestAnsi},
    };
    for (const std::vector<std::wstring>& names :
         {std::vector<std::wstring>{L"C:\\x\\caf\xE9.txt"}, {longest + L"\x65E5"}, {L"C:\\x\\a.txt", longest + L"a"}}) {
        Handler handler(c);
        EXPECT_EQ(E_INVALIDARG, handler.initializeWide(names)) << names.back().size() << " characters";
        EXPECT_EQ(E_INVALIDARG, handler.invoke(MAKEINTRESOURCEA(0)));
    }
    std::string expected;
    int started = 0;
    for (const auto& name : accepted) {
        Handler handler(c);
        ASSERT_EQ(S_OK, handler.initializeWide({name.wide})) << name.ansi;
        EXPECT_EQ(S_OK, handler.invoke(MAKEINTRESOURCEA(0)));
        install.commandLines(++started);   // one start at a time, in order
        expected += install.program() + " " + c.arguments + " " + name.ansi + ">\r\n";
    }
    // The accepted names start the only lines.
    EXPECT_EQ(expected, install.settledCommandLines(started));
}
