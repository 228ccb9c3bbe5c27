// The installation process tool as a real process under Wine: the processes it ends
// are copies of the sleeper under the names of the tray, the service and Outlook, and
// its boxes are read and answered by the message-box watcher.
#include "RegistryTestKey.h"
#include "RunWatched.h"
#include "RunWithOleBroken.h"
#include "SleeperProcess.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Lines = std::vector<std::string>;

const char kCaption[] = "TarnelProcess";
const char kEnglishPrompt[] = "Please quit Outlook to continue Tarnel installation.";
const char kFrenchPrompt[] = "Veuillez SVP quitter Outlook pour continuer l'installation de Tarnel.";
const char kTrayWarning[] = "Warning: Unable to kill tarneltray.exe. Installation will continue.";
const char kServiceWarning[] = "Warning: Unable to kill tarnelserv.exe. Installation will continue.";
const char kOutlookWarning[] = "Warning: Unable to test if process OUTLOOK.EXE exists. Installation will continue.";
const char kUnknownFailure[] = "Unknown Installation Failure at: CTarnelProcessApp::InitInstance()";
const char kLanguageKey[] = "Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg";
const char kLanguageValue[] = "/Quenby/Language";

const DWORD kExitWaitMs = 5000;

std::string prompt(const std::string& text = kEnglishPrompt, const std::string& caption = kCaption)
{
    return boxLine(caption, text, "Retry,Cancel", "none");
}

std::string warning(const std::string& text) { return boxLine(kCaption, text, "OK", "exclamation"); }

std::string shippedProgram() { return windowsPathOf(TARNELPROCESS_EXE); }
std::string faultingProgram() { return windowsPathOf(TARNELPROCESS_FAULTS_EXE); }

std::unique_ptr<SleeperProcess> startSleeper(const std::string& imageName,
                                             SleeperAccess access = SleeperAccess::Terminable)
{
    auto sleeper = std::make_unique<SleeperProcess>(imageName, SleeperProcess::kDefaultMs, access);
    EXPECT_TRUE(sleeper->started()) << sleeper->error();
    return sleeper;
}

// Each case states the user's language: English unless the case sets another.
class ProcessTool : public ::testing::Test {
protected:
    ProcessTool() { language.setText(kLanguageValue, "en"); }

    // Runs the program (it reads no command line) to its end; every path ends with
    // exit code 0.
    Lines runProgram(const std::string& program, const Lines& answers = {},
                     MessageBoxWatcher::BeforeAnswer beforeAnswer = nullptr)
    {
        return runWatched(program, "\"" + program + "\"", answers, std::move(beforeAnswer));
    }
    Lines run(const Lines& answers = {}, MessageBoxWatcher::BeforeAnswer beforeAnswer = nullptr)
    {
        return runProgram(shippedProgram(), answers, std::move(beforeAnswer));
    }

    RegistryTestKey language{HKEY_CURRENT_USER, kLanguageKey};
};

TEST_F(ProcessTool, NothingRunningShowsNothing)
{
    SleeperProcess bystander("tarnel.exe");  // a name that matches none of the three
    ASSERT_TRUE(bystander.started()) << bystander.error();
    EXPECT_EQ(Lines(), run());
    EXPECT_TRUE(bystander.isRunning());
}

// One call per name ends the first process, in the order a scan meets them, that may
// be opened for termination; the guarded tray comes first and has to be passed over.
// Neither the ending nor the passing over shows anything.
TEST_F(ProcessTool, EndsTheFirstTrayAndTheFirstServiceThatCanBeEnded)
{
    auto guardedTray = startSleeper("tarneltray.exe", SleeperAccess::NotTerminable);
    auto tray1 = startSleeper("tarneltray.exe");
    auto tray2 = startSleeper("TarnelTray.EXE");
    auto service1 = startSleeper("tarnelserv.exe");
    auto service2 = startSleeper("tarnelserv.exe");
    std::vector<DWORD> trays = inSnapshotOrder({guardedTray->pid(), tray1->pid(), tray2->pid()});
    std::vector<DWORD> services = inSnapshotOrder({service1->pid(), service2->pid()});
    ASSERT_EQ(3u, trays.size());
    ASSERT_EQ(2u, services.size());
    ASSERT_EQ(guardedTray->pid(), trays[0]);
    SleeperProcess& endedTray = trays[1] == tray1->pid() ? *tray1 : *tray2;
    SleeperProcess& otherTray = trays[1] == tray1->pid() ? *tray2 : *tray1;
    SleeperProcess& endedService = services[0] == service1->pid() ? *service1 : *service2;
    SleeperProcess& otherService = services[0] == service1->pid() ? *service2 : *service1;

    EXPECT_EQ(Lines(), run());
    ASSERT_TRUE(endedTray.waitForExit(kExitWaitMs));
    EXPECT_EQ(0u, endedTray.exitCode());
    ASSERT_TRUE(endedService.waitForExit(kExitWaitMs));
    EXPECT_EQ(0u, endedService.exitCode());
    EXPECT_TRUE(guardedTray->isRunning());
    EXPECT_FALSE(otherTray.waitForExit(300)) << "one run ends one tray";
    EXPECT_FALSE(otherService.waitForExit(300)) << "one run ends one service";
}

TEST_F(ProcessTool, TrayThatCannotBeEndedIsPassedOverInSilence)
{
    auto guardedTray = startSleeper("tarneltray.exe", SleeperAccess::NotTerminable);
    auto service = startSleeper("tarnelserv.exe");
    EXPECT_EQ(Lines(), run());
    EXPECT_TRUE(guardedTray->isRunning());
    EXPECT_TRUE(service->waitForExit(kExitWaitMs));
}

// Before each prompt the tool beeps (500 Hz, 100 ms). A beep leaves nothing that a
// test can observe, under Wine less than anywhere (it makes no sound at all), so only
// the prompts are checked.
TEST_F(ProcessTool, OutlookRunningAndCancelledEndsAfterOnePrompt)
{
    const struct {
        const char* outlookName;
        const char* answer;
    } cases[] = {
        // Image names are matched lower-cased, by containment.
        {"outlook.exe", "Cancel"},
        {"OUTLOOK.EXE", "Cancel"},
        {"myoutlook.exe", "Cancel"},
        // The Escape key and the close button of the prompt cancel it too.
        {"outlook.exe", "Escape"},
        {"outlook.exe", "Close"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.outlookName) + ", " + c.answer);
        auto tray = startSleeper("tarneltray.exe");
        auto outlook = startSleeper(c.outlookName);
        EXPECT_EQ(Lines({prompt()}), run({c.answer}));
        EXPECT_TRUE(tray->waitForExit(kExitWaitMs)) << "the tray is ended before the prompt";
        EXPECT_TRUE(outlook->isRunning()) << "Outlook is only asked to quit";
    }
}

TEST_F(ProcessTool, RetryPromptsAgainWhileOutlookRunsAndGoesOnOnceItHasQuit)
{
    auto outlook = startSleeper("outlook.exe");
    // The user closes Outlook while the third prompt is up, then answers Retry.
    Lines boxes = run({"Retry", "Retry", "Retry", "Cancel"}, [&](size_t box) {
        if (box == 2) {
            TerminateProcess(outlook->handle(), 0);
            outlook->waitForExit(kExitWaitMs);
        }
    });
    EXPECT_EQ(Lines({prompt(), prompt(), prompt()}), boxes);
}

TEST_F(ProcessTool, PromptInFrenchKeepsTheTextLookedUpAtTheStart)
{
    language.setText(kLanguageValue, "fr");
    auto outlook = startSleeper("outlook.exe");
    // The language changes while the first prompt is up: the second keeps French.
    Lines boxes = run({"Retry", "Cancel"}, [&](size_t box) {
        if (box == 0) language.setText(kLanguageValue, "en");
    });
    EXPECT_EQ(Lines({prompt(kFrenchPrompt), prompt(kFrenchPrompt)}), boxes);
}

// The program holds no application title, so the caption is its file name without
// the extension, whatever the file is called.
TEST_F(ProcessTool, CaptionIsTheFileNameWithoutExtension)
{
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    std::string copy = std::string(temp) + "Tarnel Setup Step.exe";
    ASSERT_TRUE(CopyFileA(shippedProgram().c_str(), copy.c_str(), FALSE)) << GetLastError();
    auto outlook = startSleeper("outlook.exe");
    EXPECT_EQ(Lines({prompt(kEnglishPrompt, "Tarnel Setup Step")}), runProgram(copy, {"Cancel"}));
    DeleteFileA(copy.c_str());
}

// OLE start-up is made to fail the way it fails when something has already put the
// main thread into another apartment. Then only string 100 is shown, and nothing is
// ended.
TEST_F(ProcessTool, OleFailureShowsString100AndEndsNothing)
{
    auto tray = startSleeper("tarneltray.exe");
    auto service = startSleeper("tarnelserv.exe");
    auto outlook = startSleeper("outlook.exe");

    std::string program = shippedProgram();
    EXPECT_EQ(Lines({warning(kOleFailureText)}), runWithOleBroken(program, "\"" + program + "\""));
    EXPECT_FALSE(tray->waitForExit(300));
    EXPECT_TRUE(service->isRunning());
    EXPECT_TRUE(outlook->isRunning());
}

// The failures of the process scan and of the catalogue lookup come only from memory
// running out, which no test can bring about at one exact call of a real run. A test
// build of the tool, the same objects linked with calls that fail on request, shows
// the warnings and where the tool goes on after each.
TEST_F(ProcessTool, FailedCallsWarnAndTheToolGoesOn)
{
    struct Case {
        const char* faults;
        bool outlookRuns;
        Lines answers;
        Lines boxes;
        bool trayEnded;
        bool serviceEnded;
    };
    const Case cases[] = {
        {"killProcess(tarneltray.exe)#1", false, {"OK"}, {warning(kTrayWarning)}, false, true},
        {"killProcess(tarnelserv.exe)#1", false, {"OK"}, {warning(kServiceWarning)}, true, false},
        {"killProcess(tarneltray.exe)#1 killProcess(tarnelserv.exe)#1", true, {"OK", "OK", "Cancel"},
         {warning(kTrayWarning), warning(kServiceWarning), prompt()}, false, false},
        // A failed test counts as Outlook not running: no prompt, or no further one.
        {"isProcessRunning(outlook.exe)#1", true, {"OK"}, {warning(kOutlookWarning)}, true, true},
        {"isProcessRunning(outlook.exe)#3", true, {"Retry", "Retry", "OK"},
         {prompt(), prompt(), warning(kOutlookWarning)}, true, true},
        // The prompt is looked up whether or not Outlook runs; its failure ends the
        // routine after the tray and the service have been ended.
        {"getMessage(PLEASE_QUIT_OUTLOOK)#1", false, {"OK"}, {warning(kUnknownFailure)}, true, true},
        {"getMessage(PLEASE_QUIT_OUTLOOK)#1", true, {"OK"}, {warning(kUnknownFailure)}, true, true},
        // A fault scripted for a call that never comes changes nothing.
        {"isProcessRunning(outlook.exe)#2", false, {}, {}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.faults) + (c.outlookRuns ? ", Outlook running" : ""));
        auto tray = startSleeper("tarneltray.exe");
        auto service = startSleeper("tarnelserv.exe");
        std::unique_ptr<SleeperProcess> outlook;
        if (c.outlookRuns) outlook = startSleeper("outlook.exe");

        SetEnvironmentVariableA("TARNEL_INJECTED_FAULTS", c.faults);
        EXPECT_EQ(c.boxes, runProgram(faultingProgram(), c.answers));
        SetEnvironmentVariableA("TARNEL_INJECTED_FAULTS", nullptr);

        EXPECT_EQ(c.trayEnded, tray->waitForExit(c.trayEnded ? kExitWaitMs : 300));
        EXPECT_EQ(c.serviceEnded, service->waitForExit(c.serviceEnded ? kExitWaitMs : 300));
        if (outlook) {
            EXPECT_TRUE(outlook->isRunning());
        }
    }
}

}  // namespace
