#include "HandOverCalls.h"
#include "InstallationLayout.h"
#include "RunWatched.h"
#include "RunWithOleBroken.h"
#include "StandInServer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Lines = std::vector<std::string>;

const char kVisualAction[] = "quenby.visualAction";
const char kTray[] = "quenby.QuenbyTray";
const char kLoadingError[] =
    "Error in loading tarnel.dll! tarneltray is not loaded.\nTarnel is not correctly installed! Please uninstall "
    "and reinstall Tarnel.";

std::string debugBox(const std::string& text) { return boxLine("tarnelexplorer", text, "OK", "exclamation"); }

const Lines kDebugBoxes = {debugBox("Before quenbyAddRegistry.TestTarnelInstall()"),
                           debugBox("Before isualAction.CreateDispatch()"),
                           debugBox("Before quenbyTray.CreateDispatch()"), debugBox("Before quenbyTray.launch()")};
const Lines kFourAnswers = {"OK", "OK", "OK", "OK"};

class ExplorerBridge : public ::testing::Test {
protected:
    // The command line a shell extension would build: the program path, then the words.
    std::string commandLine(const std::string& words) const { return program + " " + words; }

    Lines run(const std::string& line, const Lines& answers = {}) { return runWatched(program, line, answers); }

    InstallationLayout installation;
    StandInServer standIn;
    std::string program = installation.install(TARNELEXPLORER_EXE);
};

TEST_F(ExplorerBridge, DebugRunShowsFourBoxesInOrderAndHandsOverTheWholeLine)
{
    std::string line = commandLine("!explorer! true false false false debug:true C:\\Users\\me\\a file.txt");
    EXPECT_EQ(kDebugBoxes, run(line, kFourAnswers));
    EXPECT_EQ(fullRun(line), standIn.calls());
}

TEST_F(ExplorerBridge, CommandLinesReachLaunchUnchanged)
{
    const std::string lines[] = {
        commandLine("!explorer! false true false false C:\\docs\\report.pdf C:\\docs\\two  blanks.txt"),
        commandLine("!wipe! false false false true D:\\old\\secret.doc"),
        // An upper-case debug word is no debug word: no box, and the word is kept.
        commandLine("!explorer! true true false false DEBUG:TRUE E:\\x.asc"),
        program,
    };
    for (const std::string& line : lines) {
        EXPECT_EQ(Lines(), run(line)) << line;
        Lines calls = standIn.calls();
        ASSERT_EQ(8u, calls.size()) << line;
        EXPECT_EQ(launchCall(line), calls[5]);
        standIn.reset();
    }
}

TEST_F(ExplorerBridge, FailingInstallationTestShowsItsOwnBoxAndNothingElse)
{
    installation.remove("swingx.jar");
    Lines boxes = run(commandLine("!explorer! debug:true C:\\a.txt"), {"OK", "OK"});
    EXPECT_EQ(Lines({debugBox("Before quenbyAddRegistry.TestTarnelInstall()"),
                     boxLine("tarnelexplorer",
                             "Error. File is missing:  (" + installation.directory() +
                                 "swingx.jar)\nTarnel is not correctly installed! Please uninstall and reinstall Tarnel.",
                             "OK", "error")}),
              boxes);
    EXPECT_EQ(Lines(), standIn.calls());
}

TEST_F(ExplorerBridge, MissingVisualActionShowsTheLoadingErrorWithTheExclamationIcon)
{
    standIn.unregisterProgId(kVisualAction);
    EXPECT_EQ(Lines({boxLine("tarnelexplorer", kLoadingError, "OK", "exclamation")}),
              run(commandLine("!explorer! C:\\a.txt"), {"OK"}));
    EXPECT_EQ(Lines(), standIn.calls());
}

TEST_F(ExplorerBridge, MissingTrayShowsTheLoadingErrorWithTheErrorIconAfterTheCalls)
{
    standIn.unregisterProgId(kTray);
    standIn.set(kVisualAction, "answer9", "VT_I4:42");
    EXPECT_EQ(Lines({boxLine("tarnelexplorer", kLoadingError, "OK", "error")}),
              run(commandLine("!explorer! C:\\a.txt"), {"OK"}));
    EXPECT_EQ(Lines({"quenby.visualAction create", "quenby.visualAction 7", "quenby.visualAction 9",
                     "quenby.visualAction 11 VT_I4:42 VT_BOOL:0", "quenby.visualAction release"}),
              standIn.calls());
}

TEST_F(ExplorerBridge, TrueFromDispid7SkipsDispids9And11)
{
    standIn.set(kVisualAction, "answer7", "VT_BOOL:-1");
    std::string line = commandLine("!explorer! C:\\a.txt");
    EXPECT_EQ(Lines(), run(line));
    EXPECT_EQ(Lines({"quenby.visualAction create", "quenby.visualAction 7", "quenby.QuenbyTray create",
                     launchCall(line), "quenby.QuenbyTray release", "quenby.visualAction release"}),
              standIn.calls());
}

TEST_F(ExplorerBridge, TwoBridgesAtOnceBothReachLaunch)
{
    // Each stays in launch until both have arrived there, however slowly a loaded
    // machine starts the second.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "tarnel-bridge-test-release-launch");
    ASSERT_NE(nullptr, release);
    standIn.set(kTray, "hold1", "tarnel-bridge-test-release-launch");
    std::string first = commandLine("!explorer! C:\\first.txt"), second = commandLine("!wipe! C:\\second.txt");
    WatchedProcess one(program, first, {}), two(program, second, {});
    auto launches = [&] {
        Lines all = standIn.calls();
        return std::count(all.begin(), all.end(), launchCall(first)) + std::count(all.begin(), all.end(), launchCall(second));
    };
    for (int i = 0; i < 400 && launches() < 2; ++i) Sleep(50);
    EXPECT_EQ(2, launches()) << "both bridges in launch at once";
    SetEvent(release);
    EXPECT_EQ(Lines(), one.wait());
    EXPECT_EQ(Lines(), two.wait());
    CloseHandle(release);
    EXPECT_EQ(0u, one.exitCode());
    EXPECT_EQ(0u, two.exitCode());
    EXPECT_EQ(fullRun(first), standIn.callsOf(one.processId()));
    EXPECT_EQ(fullRun(second), standIn.callsOf(two.processId()));
}

// A call that the Java side rejects neither crashes the bridge nor leaves it hanging:
// both objects are released in reverse order and the process ends with exit code 0.
// Before launch the loading error is shown; during launch nothing is.
TEST_F(ExplorerBridge, RejectedCallsEndTheBridgeCleanly)
{
    struct Case {
        const char* progId;
        const char* key;
        const char* value;
        Lines boxes;
        Lines calls;
    };
    const Lines loadingBox = {boxLine("tarnelexplorer", kLoadingError, "OK", "exclamation")};
    const std::string line = commandLine("!explorer! C:\\a.txt");
    const Case cases[] = {
        {kVisualAction, "raise7", "0x80040201", loadingBox,
         {"quenby.visualAction create", "quenby.visualAction 7", "quenby.visualAction release"}},
        {kVisualAction, "fail9", "0x80020005", loadingBox,
         {"quenby.visualAction create", "quenby.visualAction 7", "quenby.visualAction 9",
          "quenby.visualAction release"}},
        // An answer that cannot be made a long.
        {kVisualAction, "answer9", "VT_BSTR:not a number", loadingBox,
         {"quenby.visualAction create", "quenby.visualAction 7", "quenby.visualAction 9",
          "quenby.visualAction release"}},
        {kVisualAction, "raise11", "0x80040201", loadingBox,
         {"quenby.visualAction create", "quenby.visualAction 7", "quenby.visualAction 9",
          "quenby.visualAction 11 VT_I4:0 VT_BOOL:0", "quenby.visualAction release"}},
        {kTray, "raise1", "0x80040201", {}, fullRun(line)},
        {kTray, "fail1", "0x80010108", {}, fullRun(line)},  // RPC_E_DISCONNECTED
    };
    for (const Case& rejected : cases) {
        standIn.reset();
        standIn.set(rejected.progId, rejected.key, rejected.value);
        EXPECT_EQ(rejected.boxes, run(line, {"OK"})) << rejected.key;
        EXPECT_EQ(rejected.calls, standIn.calls()) << rejected.key;
    }
}

// Without OLE the bridge shows string 100 and nothing else, whatever its command line.
TEST_F(ExplorerBridge, OleFailureShowsString100AndNothingElse)
{
    for (const std::string& line : {commandLine("!explorer! debug:true C:\\a.txt"), commandLine("!wipe! C:\\a.txt")}) {
        EXPECT_EQ(Lines({boxLine("tarnelexplorer", kOleFailureText, "OK", "exclamation")}),
                  runWithOleBroken(program, line))
            << line;
        EXPECT_EQ(Lines(), standIn.calls()) << line;
    }
}

}  // namespace
