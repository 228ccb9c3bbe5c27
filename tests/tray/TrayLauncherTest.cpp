#include "HandOverCalls.h"
#include "InstallationLayout.h"
#include "RunWatched.h"
#include "RunWithOleBroken.h"
#include "SleeperProcess.h"
#include "StandInServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using Lines = std::vector<std::string>;

const char kVisualAction[] = "quenby.visualAction";
const char kTray[] = "quenby.QuenbyTray";
const char kLoadingError[] =
    "Error in loading tarnel.dll! tarneltray is not loaded.\nTarnel is not correctly installed! Please uninstall "
    "and reinstall Tarnel.";
const char kAlreadyRunning[] = "Tarnel is already running. Please use the Windows taskbar to open Tarnel.";

std::string box(const std::string& text, const char* icon = "exclamation")
{
    return boxLine("tarneltray", text, "OK", icon);
}

const Lines kAlreadyRunningBox = {box(kAlreadyRunning)};

std::string contentOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class TrayLauncher : public ::testing::Test {
protected:
    // The program path quoted, as a shortcut starts it, then the words.
    std::string commandLine(const std::string& words) const { return "\"" + program + "\" " + words; }

    Lines run(const std::string& line, const Lines& answers = {}) { return runWatched(program, line, answers); }

    InstallationLayout installation;
    StandInServer standIn;
    std::string program = installation.install(TARNELTRAY_EXE);
};

// Another process under a name that holds "tarneltray.exe": a tray that already runs.
class TrayLauncherBesideAnotherTray : public TrayLauncher {
protected:
    void SetUp() override { ASSERT_TRUE(otherTray.started()) << otherTray.error(); }

    SleeperProcess otherTray{"tarneltray.exe"};
};

TEST_F(TrayLauncher, DebugRunShowsSevenBoxesInOrderAndHandsOverTheWholeLine)
{
    std::string line = commandLine("debug:true C:\\Users\\me\\a file.pgp");
    EXPECT_EQ(Lines({box(line), box("Before processManager.countProcess()"),
                     box("Before quenbyAddRegistry.TestTarnelInstall()"), box("Before isualAction.CreateDispatch()"),
                     box("Before quenbyTray.CreateDispatch()"), box("Before quenbyTray.launch()"), box(line)}),
              run(line, Lines(7, "OK")));
    EXPECT_EQ(fullRun(line), standIn.calls());
}

// Alone, every start goes on to launch, whatever words it holds, and the line
// reaches it unchanged, words, blanks and program path included.
TEST_F(TrayLauncher, AloneEveryCommandLineReachesLaunchUnchanged)
{
    const std::string lines[] = {
        commandLine("windowsstart"),
        commandLine("file_to_decrypt C:\\docs\\report.pdf.pgp "),
        commandLine("windowsstart file_to_decrypt C:\\x.pgp"),
        commandLine("DEBUG:TRUE  C:\\docs\\two  blanks.asc"),  // no debug word: no box
        program + " C:\\unquoted.sig",
        program,
    };
    for (const std::string& line : lines) {
        EXPECT_EQ(Lines(), run(line)) << line;
        EXPECT_EQ(fullRun(line), standIn.calls()) << line;
        standIn.reset();
    }
}

TEST_F(TrayLauncherBesideAnotherTray, SecondStartsFollowTheWordsOfTheirCommandLine)
{
    struct Case {
        std::string words;
        Lines boxes;
        bool launched;
    };
    const Case cases[] = {
        {"windowsstart", {}, false},              // from the start launcher: silent
        {"C:\\x.pgp", kAlreadyRunningBox, false},  // by the user
        {"file_to_decrypt C:\\x.pgp", {}, true},  // " file_to_decrypt " lets it go on
        {"C:\\x.pgp file_to_decrypt", kAlreadyRunningBox, false},  // no blank after it
        {"windowsstart file_to_decrypt C:\\x.pgp", {}, false},     // windowsstart wins
        {"file_to_decrypt windowsstart", {}, false},
        // The words count only in lower case.
        {"WINDOWSSTART", kAlreadyRunningBox, false},
        {"FILE_TO_DECRYPT C:\\x.pgp", kAlreadyRunningBox, false},
        {"DEBUG:TRUE", kAlreadyRunningBox, false},
    };
    for (const Case& c : cases) {
        standIn.reset();
        std::string line = commandLine(c.words);
        EXPECT_EQ(c.boxes, run(line, {"OK"})) << line;
        EXPECT_EQ(c.launched ? fullRun(line) : Lines(), standIn.calls()) << line;
    }
}

// The count comes before the installation test, and the rule after it: a start at
// log-on beside a running tray still sets the installation right, and still shows
// what is wrong with it.
TEST_F(TrayLauncherBesideAnotherTray, StartAtLogOnRunsTheWholeInstallationTestFirst)
{
    std::string line = commandLine("windowsstart debug:true");
    std::string staleJar = installation.javaHome() + "lib\\security\\local_policy.jar";
    std::ofstream(staleJar, std::ios::binary) << "stale policy";
    EXPECT_EQ(Lines({box(line), box("Before processManager.countProcess()"),
                     box("Before quenbyAddRegistry.TestTarnelInstall()")}),
              run(line, Lines(3, "OK")));
    EXPECT_EQ(contentOf(installation.directory() + "local_policy.jar"), contentOf(staleJar));
    EXPECT_EQ(Lines(), standIn.calls());

    installation.remove("RegistryJni2.dll");
    EXPECT_EQ(Lines({box("Error. File is missing:  (" + installation.directory() +
                             "RegistryJni2.dll)\nTarnel is not correctly installed! Please uninstall and reinstall Tarnel.",
                         "error")}),
              run(commandLine("windowsstart"), {"OK"}));
    EXPECT_EQ(Lines(), standIn.calls());
}

// The words are looked for in the whole line, so a program path that holds one
// counts as if it had been given.
TEST_F(TrayLauncherBesideAnotherTray, AWordInsideTheProgramPathCounts)
{
    struct Case {
        const char* folder;
        bool launched;
    };
    const Case cases[] = {{"windowsstart", false}, {"to file_to_decrypt later", true}};
    for (const Case& c : cases) {
        standIn.reset();
        std::string tray = installation.install(TARNELTRAY_EXE, c.folder);
        EXPECT_EQ(Lines(), runWatched(tray, tray, {"OK"})) << tray;
        EXPECT_EQ(c.launched ? fullRun(tray) : Lines(), standIn.calls()) << tray;
    }
}

TEST_F(TrayLauncher, AProcessWhoseNameHoldsTarneltrayExeCountsAsATray)
{
    struct Case {
        const char* imageName;
        bool counts;
    };
    const Case cases[] = {
        {"mytarneltray.exe", true},
        {"OldTarnelTray.EXE", true},  // image names are compared in lower case
        {"tarneltray2.exe", false},
        {"tray.exe", false},
    };
    std::string line = commandLine("C:\\x.pgp");
    for (const Case& c : cases) {
        standIn.reset();
        SleeperProcess other(c.imageName);
        ASSERT_TRUE(other.started()) << other.error();
        EXPECT_EQ(c.counts ? kAlreadyRunningBox : Lines(), run(line, {"OK"})) << c.imageName;
        EXPECT_EQ(c.counts ? Lines() : fullRun(line), standIn.calls()) << c.imageName;
    }
}

// Two real trays: the first waits in launch while the user starts the second.
TEST_F(TrayLauncher, ATrayInLaunchTurnsASecondStartAway)
{
    HANDLE inLaunch = CreateEventA(nullptr, TRUE, FALSE, "tarnel-tray-test-in-launch");
    ASSERT_NE(nullptr, inLaunch);
    // The first stays in launch until the second has been turned away, however slowly a
    // loaded machine runs the second.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "tarnel-tray-test-release-launch");
    ASSERT_NE(nullptr, release);
    standIn.set(kTray, "signal1", "tarnel-tray-test-in-launch");
    standIn.set(kTray, "hold1", "tarnel-tray-test-release-launch");
    std::string first = commandLine("windowsstart"), second = commandLine("C:\\x.pgp");

    WatchedProcess running(program, first, {});
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(inLaunch, 10000));
    WatchedProcess turnedAway(program, second, {"OK"});
    EXPECT_EQ(kAlreadyRunningBox, turnedAway.wait());
    SetEvent(release);
    EXPECT_EQ(Lines(), running.wait());
    CloseHandle(release);
    EXPECT_EQ(0u, running.exitCode());
    EXPECT_EQ(0u, turnedAway.exitCode());
    EXPECT_EQ(fullRun(first), standIn.callsOf(running.processId()));
    EXPECT_EQ(Lines(), standIn.callsOf(turnedAway.processId()));
    CloseHandle(inLaunch);
}

TEST_F(TrayLauncher, FailingInstallationTestShowsItsOwnBoxAndNothingElse)
{
    installation.remove("swingx.jar");
    std::string line = commandLine("debug:true");
    EXPECT_EQ(Lines({box(line), box("Before processManager.countProcess()"),
                     box("Before quenbyAddRegistry.TestTarnelInstall()"),
                     box("Error. File is missing:  (" + installation.directory() +
                             "swingx.jar)\nTarnel is not correctly installed! Please uninstall and reinstall Tarnel.",
                         "error")}),
              run(line, Lines(4, "OK")));
    EXPECT_EQ(Lines(), standIn.calls());
}

TEST_F(TrayLauncher, MissingVisualActionShowsTheLoadingErrorWithTheExclamationIcon)
{
    standIn.unregisterProgId(kVisualAction);
    EXPECT_EQ(Lines({box(kLoadingError, "exclamation")}), run(commandLine("C:\\x.pgp"), {"OK"}));
    EXPECT_EQ(Lines(), standIn.calls());
}

TEST_F(TrayLauncher, MissingTrayShowsTheLoadingErrorWithTheErrorIconAfterTheCalls)
{
    standIn.unregisterProgId(kTray);
    standIn.set(kVisualAction, "answer9", "VT_I4:42");
    EXPECT_EQ(Lines({box(kLoadingError, "error")}), run(commandLine("C:\\x.pgp"), {"OK"}));
    EXPECT_EQ(Lines({"quenby.visualAction create", "quenby.visualAction 7", "quenby.visualAction 9",
                     "quenby.visualAction 11 VT_I4:42 VT_BOOL:0", "quenby.visualAction release"}),
              standIn.calls());
}

// The hand-over's answers and rejected calls, as the tray meets them: true from
// DISPID 7 skips 9 and 11; a rejected call before launch shows the loading error,
// one during launch nothing; the objects are released in reverse order either way.
TEST_F(TrayLauncher, AnswersAndRejectedCallsOfTheJavaSide)
{
    struct Case {
        const char* progId;
        const char* key;
        const char* value;
        Lines boxes;
        Lines calls;
    };
    const std::string line = commandLine("C:\\x.pgp");
    const Case cases[] = {
        {kVisualAction, "answer7", "VT_BOOL:-1", {},
         {"quenby.visualAction create", "quenby.visualAction 7", "quenby.QuenbyTray create", launchCall(line),
          "quenby.QuenbyTray release", "quenby.visualAction release"}},
        {kVisualAction, "raise9", "0x80040201", {box(kLoadingError, "exclamation")},
         {"quenby.visualAction create", "quenby.visualAction 7", "quenby.visualAction 9",
          "quenby.visualAction release"}},
        {kTray, "raise1", "0x80040201", {}, fullRun(line)},
    };
    for (const Case& c : cases) {
        standIn.reset();
        standIn.set(c.progId, c.key, c.value);
        EXPECT_EQ(c.boxes, run(line, {"OK"})) << c.key;
        EXPECT_EQ(c.calls, standIn.calls()) << c.key;
    }
}

// Without OLE the tray shows string 100 and nothing else: no debug box, no scan.
TEST_F(TrayLauncher, OleFailureShowsString100AndNothingElse)
{
    for (const std::string& line : {commandLine("debug:true C:\\x.pgp"), commandLine("windowsstart")}) {
        EXPECT_EQ(Lines({box(kOleFailureText, "exclamation")}), runWithOleBroken(program, line)) << line;
        EXPECT_EQ(Lines(), standIn.calls()) << line;
    }
}

}  // namespace
