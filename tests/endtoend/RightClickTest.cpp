// A right-click from the shell host to the Java side's stand-in, with every piece in
// between real: the extension DLL, the spawn of tarnelexplorer.exe from the
// installation directory that RuntimeLib names, the bridge's installation test and
// its automation calls.
#include "HandOverCalls.h"
#include "InstallationLayout.h"
#include "ShellExtCases.h"
#include "StandInServer.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The extension starts the bridge without waiting: the calls are complete once the
// bridge has released its first object, the last thing it does.
Lines callsOnceReleased(const StandInServer& standIn, DWORD timeoutMs = 15000)
{
    DWORD start = GetTickCount();
    for (;;) {
        Lines calls = standIn.calls();
        if (!calls.empty() && calls.back() == "quenby.visualAction release") return calls;
        if (GetTickCount() - start > timeoutMs) return calls;
        Sleep(20);
    }
}

class RightClick : public ::testing::TestWithParam<ShellExtCase> {
protected:
    InstallationLayout installation;
    StandInServer standIn;
    std::string bridge = installation.install(TARNELEXPLORER_EXE);
    TestSupport::ScratchDirectory selection{"right click"};
    UserLanguage language{"en"};
};

std::string caseName(const ::testing::TestParamInfo<ShellExtCase>& info) { return info.param.dll; }

}  // namespace

INSTANTIATE_TEST_SUITE_P(Dlls, RightClick, ::testing::ValuesIn(kShellExtCases), caseName);

TEST_P(RightClick, LaunchReceivesExactlyTheLineTheExtensionBuilt)
{
    const ShellExtCase& c = GetParam();
    // Two items, a blank in the first name; the zip extension takes folders only.
    std::string first = selection.path() + "a b", second = selection.path() + "c";
    if (c.plainDirectoriesOnly) {
        selection.makeSubdirectory("a b");
        selection.makeSubdirectory("c");
    } else {
        first += ".txt";
        second += ".txt";
        TestSupport::writeFile(first, "one");
        TestSupport::writeFile(second, "two");
    }

    {
        Handler handler(c);
        ASSERT_EQ(S_OK, handler.initialize({first, second}));
        std::vector<ShellHost::MenuItem> items;
        ASSERT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), handler.queryMenu(1, CMF_NORMAL, items));
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(c.englishText, items[0].text);
        EXPECT_EQ(S_OK, handler.invoke(MAKEINTRESOURCEA(0)));
    }

    // Written out, not rebuilt the way the extension builds it: program path unquoted,
    // its blank included, the words, and each name followed by ">".
    std::string line = bridge + " " + c.arguments + " " + first + ">" + second + ">";
    EXPECT_EQ(fullRun(line), callsOnceReleased(standIn));
}
