// TarnelRegister as a real process under Wine, with its real boxes, the real
// registry (the 32-bit view of HKLM, HKEY_USERS with profiles of the test's own), the
// stock regsvr32 and the stand-in add-in, and its step log in an APPDATA of the
// test's own.
#include "common/TarnelErrorMgr.h"

#include "InstallationLayout.h"
#include "InstallerState.h"
#include "RunWatched.h"
#include "TestPaths.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using TestSupport::ScopedCurrentDirectory;
using TestSupport::ScopedEnvironment;
using Lines = std::vector<std::string>;

const char* const kStepLines[] = {
    "0 - Load...",
    "1 - Begin...",
    "2 - GetCommandLine()...",
    "3 - srcDir.Find(...)",
    "4 - TarnelAddRegistry.AddTarnelDll(sRuntimeLib)...",
    "5 - TarnelPolicyMgr.getJavaHome()...",
    "6 - DeleteFile(fileToDelete)...",
    "7 - DeleteFile(fileToDelete)...",
    "8 - DeleteFile(fileToDelete)...",
    "9 - TarnelPolicyMgr.copyJavaPolicies(tarnelDirectory, javaHomeDirectory)...",
    "10 - TarnelAddRegistry.GetOfficeVersion()...",
    "11 - TarnelAddRegistry.IsOutlookOfficeInstalled(sOfficeVersion)...",
    "12 - TarnelAddRegistry.GetUserLanguage()...",
    "13 - TarnelAddRegistry.AddOutlookInfos(language)...",
    "14 - RegisterDll.Regsvr32(TarnelOutlookDll)...",
    "15 - End (Done)!",
};
const char* const kStaleJars[] = {"tarnel_app.jar", "tarnel_provider.jar", "tarnel_crypto.jar"};
const char kUsage[] = "Usage :\n\t QuenbyRegister /SourceDir/\n\n\t Where SourceDir is the location of ressources to register";

// The log of a run that ended after step `last`, each line ending with CR LF.
std::string logUpTo(int last)
{
    std::string log;
    for (int step = 0; step <= last; ++step) log += std::string(kStepLines[step]) + "\r\n";
    return log;
}

std::string box(const std::string& text, const char* icon) { return boxLine("TarnelRegister", text, "OK", icon); }
std::string errorBox(const std::string& text) { return box(text, "error"); }
std::string warningBox(const std::string& text) { return box(text, "exclamation"); }

std::string reason(DWORD code) { return std::string(TarnelErrorMgr().formatError(code)); }

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A machine ready for a whole run: an installation with the add-in stand-in beside
// tarnel.dll, a Java home whose lib\ext holds the three stale jars and one other, Office
// 12.0 with Outlook, Outlook settings in the current user's profile and in one profile
// of the test's own, beside one without, and RuntimeLib naming another place. The log
// goes to an APPDATA of its own, and the stand-in records each registration.
struct Machine {
    Machine()
    {
        installation.install(TestSupport::buildPath("tests/fixtures/outlookaddin/TarnelOutlook.dll").substr(2));
        CreateDirectoryA(extDirectory().c_str(), nullptr);
        for (const char* jar : kStaleJars) TestSupport::writeFile(extDirectory() + jar, "stale");
        TestSupport::writeFile(extDirectory() + "other.jar", "other");
        office.installOutlook("12.0");
        profiles.giveOutlookSettings(profiles.currentUser());
        withOutlook = profiles.add("WithOutlook", true);
        withoutOutlook = profiles.add("WithoutOutlook", false);
        installation.setRuntimeLib(kEarlierRuntimeLib);
    }

    std::string extDirectory() const { return installation.javaHome() + "lib\\ext\\"; }
    std::string securityDirectory() const { return installation.javaHome() + "lib\\security\\"; }
    bool staleJarsLeft() const
    {
        for (const char* jar : kStaleJars)
            if (exists(extDirectory() + jar)) return true;
        return false;
    }
    std::string log() const { return TestSupport::readFile(appData.path() + "tarnel.log"); }
    std::string registrations() const { return TestSupport::readFile(calls); }
    // The stand-in's record of one registration by the stock tool, as it saw it.
    std::string registration() const
    {
        return installation.directory() + "TarnelOutlook.dll|" + regsvr32 + " " + addinArgument() + " /s\r\n";
    }
    std::string addinArgument() const { return "\"" + installation.directory() + "TarnelOutlook.dll\""; }

    static constexpr const char* kEarlierRuntimeLib = "C:\\Earlier\\tarnel.dll";
    InstallationLayout installation;
    OfficeKeys office;
    UserProfiles profiles;
    std::string withOutlook, withoutOutlook;
    TestSupport::ScratchDirectory appData{"appdata"};
    std::string calls = appData.path() + "addin-calls.txt";
    ScopedEnvironment appDataVariable{"APPDATA", appData.path().substr(0, appData.path().size() - 1).c_str()};
    ScopedEnvironment recordVariable{"TARNEL_ADDIN_RECORD", calls.c_str()};
    std::string regsvr32 = systemRegsvr32();
};

const std::string kProgram = windowsPathOf(TARNELREGISTER_EXE);
// The same objects, with calls that fail as TARNEL_INJECTED_FAULTS scripts.
const std::string kFaultingProgram = windowsPathOf(TARNELREGISTER_FAULTS_EXE);

std::string commandLine(const std::string& arguments, const std::string& program = kProgram)
{
    return "\"" + program + "\" " + arguments;
}
std::string sourceArgument(const Machine& machine) { return "/" + machine.installation.directory() + "/"; }

// Runs the program with the whole command line given, answering every box OK.
Lines run(const std::string& line, MessageBoxWatcher::BeforeAnswer beforeAnswer = nullptr,
          const std::string& program = kProgram)
{
    return runWatched(program, line, Lines(20, "OK"), std::move(beforeAnswer));
}

// Runs the program with a UTF-16 command line, the form Windows holds it in, and so
// one that may carry what the ANSI code page cannot; every box answered OK.
Lines runWide(const std::wstring& line)
{
    std::wstring program(kProgram.begin(), kProgram.end());
    std::vector<wchar_t> text(line.begin(), line.end());
    text.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(program.c_str(), text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        ADD_FAILURE() << "cannot start " << kProgram;
        return {};
    }
    CloseHandle(created.hThread);
    MessageBoxWatcher watcher(created.dwProcessId, Lines(20, "OK"));
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(created.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(created.hProcess, &exitCode);
    else TerminateProcess(created.hProcess, STILL_ACTIVE);
    WaitForSingleObject(created.hProcess, 5000);
    CloseHandle(created.hProcess);
    EXPECT_EQ(0u, exitCode);
    return watcher.stop();
}

std::string launchFailureBox(const Machine& machine)
{
    return warningBox("Quenby Install Failure: Impossible to launch " + machine.regsvr32 + " " +
                      machine.addinArgument() + "\nReason: ");
}

// Twice on the same machine, the second time with a source directory whose own name
// holds "tarnel.dll": the installation directory is what the registry gives back,
// cut at the first "tarnel.dll", for the policy jars and the add-in alike.
TEST(InstallerRun, WholeRunDoesEveryStepAndLogsSixteenLines)
{
    Machine machine;
    const std::string directory = machine.installation.directory();
    // The one policy jar that differs is copied; the other is held open against
    // writing, so a copy over it would end the run with the policy box.
    TestSupport::writeFile(machine.securityDirectory() + "local_policy.jar", "old policy");
    TestSupport::writeFile(machine.securityDirectory() + "US_export_policy.jar", "stand-in US_export_policy.jar");
    HANDLE same = CreateFileA((machine.securityDirectory() + "US_export_policy.jar").c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, same);

    const std::string sources[] = {directory, directory + "tarnel.dll files"};
    const std::string values[] = {directory + "tarnel.dll", directory + "tarnel.dll files\\tarnel.dll"};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(sources[round]);
        EXPECT_EQ(Lines(), run(commandLine("/" + sources[round] + "/")));
        EXPECT_EQ(logUpTo(15) + (round == 1 ? logUpTo(15) : ""), machine.log()) << "the log only grows";
        EXPECT_EQ(values[round], machine.installation.runtimeLib());
        EXPECT_FALSE(machine.staleJarsLeft());
        EXPECT_TRUE(exists(machine.extDirectory() + "other.jar"));
        EXPECT_EQ("stand-in local_policy.jar", TestSupport::readFile(machine.securityDirectory() + "local_policy.jar"));
        for (const std::string& profile : machine.profiles.all()) {
            bool outlook = profile == machine.withOutlook || profile == machine.profiles.currentUser();
            EXPECT_EQ(outlook ? kAddinValues : "", addinValuesOf(profile)) << profile;
        }
        EXPECT_EQ(machine.registration() + (round == 1 ? machine.registration() : ""), machine.registrations());
        for (const char* jar : kStaleJars) TestSupport::writeFile(machine.extDirectory() + jar, "stale");
    }
    CloseHandle(same);
}

// Each failure stops the run at its step, with its box or none, and undoes nothing:
// the log ends with the failing step's line, and what earlier steps did stays.
// Outlook going between steps 10 and 11, and a step raising (only an exhausted heap
// does), are staged by the test build of the tool.
TEST(InstallerRun, FirstFailingStepEndsTheRunAndUndoesNothing)
{
    const std::string unwritableKey =
        "HKEY_USERS\\TarnelTestUnwritable\\Software\\Microsoft\\Office\\Outlook\\Addins\\Tarnelmail.Connect";
    const std::string creationFailure = "Registry failure. Could not create the registry key: \n";
    struct Case {
        const char* what;
        std::function<void(Machine&)> breakIt;
        std::function<Lines(const Machine&)> boxes;
        int lastStep;
        const char* faults = nullptr;  // run the test build with these
    };
    auto policyBox = [](const Machine& m, DWORD code) {
        return Lines({errorBox("Impossible to copy the Java Policy Files to Java Lib Security Directory!\n\n" +
                               m.installation.directory() + "\n" + m.installation.javaHome() + "\n" + reason(code))});
    };
    auto none = [](const Machine&) { return Lines(); };
    std::unique_ptr<WriteDeniedKey> denied;
    std::unique_ptr<ScopedEnvironment> refusing;
    const Case cases[] = {
        {"HKLM SOFTWARE\\Tarnel refuses writing",
         [&](Machine&) { denied = std::make_unique<WriteDeniedKey>(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel"); },
         [&](const Machine&) {
             return Lines({errorBox(creationFailure + "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnel\nReason: " +
                                    reason(ERROR_ACCESS_DENIED))});
         },
         4},
        {"no lib\\security", [](Machine& m) { RemoveDirectoryA(m.securityDirectory().c_str()); },
         [&](const Machine& m) { return policyBox(m, ERROR_PATH_NOT_FOUND); }, 9},
        {"a folder in the place of a policy jar",
         [](Machine& m) { CreateDirectoryA((m.securityDirectory() + "local_policy.jar").c_str(), nullptr); },
         [&](const Machine& m) { return policyBox(m, ERROR_ACCESS_DENIED); }, 9},
        {"no Office", [](Machine& m) { m.office.clear(); }, none, 10},
        {"Outlook of Office 9.0 only", [](Machine& m) { m.office.clear(); m.office.installOutlook("9.0"); }, none, 10},
        {"no profile with Outlook settings",
         [](Machine& m) {
             m.profiles.removeOutlookSettings(m.profiles.currentUser());
             m.profiles.removeOutlookSettings(m.withOutlook);
         },
         none, 13},
        {"Outlook gone by step 11", [](Machine&) {}, none, 11, "IsOutlookOfficeInstalled(12.0)#1"},
        {"step 13 raises", [](Machine&) {},
         [](const Machine&) {
             return Lines({warningBox("Unknown Installation Failure at: CTarnelRegisterApp::InitInstance()")});
         },
         12, "AddOutlookInfos()#1"},
        {"a profile that cannot be written", [](Machine& m) { m.profiles.addUnwritable("Unwritable"); },
         [&](const Machine&) {
             return Lines({errorBox(creationFailure + unwritableKey + "\nReason: " + reason(ERROR_CHILD_MUST_BE_VOLATILE))});
         },
         13},
        {"no add-in in the installation directory",
         [](Machine& m) { m.installation.remove("TarnelOutlook.dll"); },
         [](const Machine& m) { return Lines({launchFailureBox(m)}); }, 14},
        {"the add-in refuses to register",
         [&](Machine&) { refusing = std::make_unique<ScopedEnvironment>("TARNEL_ADDIN_FAIL", "1"); },
         [](const Machine& m) { return Lines({launchFailureBox(m)}); }, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine machine;
        c.breakIt(machine);
        const std::string& program = c.faults ? kFaultingProgram : kProgram;
        ScopedEnvironment faults("TARNEL_INJECTED_FAULTS", c.faults);
        EXPECT_EQ(c.boxes(machine), run(commandLine(sourceArgument(machine), program), nullptr, program));
        denied.reset();
        refusing.reset();
        EXPECT_EQ(logUpTo(c.lastStep), machine.log());
        EXPECT_EQ(c.lastStep == 4 ? Machine::kEarlierRuntimeLib : machine.installation.directory() + "tarnel.dll",
                  machine.installation.runtimeLib());
        EXPECT_EQ(c.lastStep == 4, machine.staleJarsLeft());
        // The add-in keys of step 13 stay when the registration fails; without
        // Office, or with no step 13, none is written.
        if (c.lastStep == 14) {
            EXPECT_EQ(kAddinValues, addinValuesOf(machine.withOutlook));
        }
        if (c.lastStep < 13) {
            for (const std::string& profile : machine.profiles.all()) EXPECT_EQ("", addinValuesOf(profile)) << profile;
        }
        bool toolRan = c.lastStep == 14 && exists(machine.installation.directory() + "TarnelOutlook.dll");
        EXPECT_EQ(toolRan ? machine.registration() : "", machine.registrations());
    }
}

// No Java home, whether none is found or an empty setting gives a lone backslash: no
// stale jar is deleted, neither on the current drive nor on a share of a host "lib",
// and no policy jar lands in a lib\security of the drive; the run ends with the box.
TEST(InstallerRun, WithoutJavaHomeNothingIsDeletedOrCopied)
{
    Machine machine;
    RegistryTestKey javaRuntimes(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft\\Java Runtime Environment");
    TestSupport::ScratchDirectory here("cwd");
    ScopedCurrentDirectory standing(here.path());
    const std::string drive = here.path().substr(0, 2);
    ASSERT_FALSE(exists(drive + "\\lib")) << "the drive already has a \\lib";
    for (const char* folder : {"\\lib", "\\lib\\ext", "\\lib\\security"})
        CreateDirectoryA((drive + folder).c_str(), nullptr);
    const std::string strayJar = drive + "\\lib\\ext\\tarnel_app.jar";
    TestSupport::writeFile(strayJar, "not a Java runtime's");

    for (const char* javaHome : {static_cast<const char*>(nullptr), "\\"}) {
        std::string shown = javaHome ? javaHome : "";
        ScopedEnvironment variable("VELMORA_JAVA_HOME", javaHome);
        DeleteFileA((machine.appData.path() + "tarnel.log").c_str());
        EXPECT_EQ(Lines({errorBox("Impossible to copy the Java Policy Files to Java Lib Security Directory!\n\n" +
                                  machine.installation.directory() + "\n" + shown + "\n" +
                                  reason(ERROR_PATH_NOT_FOUND))}),
                  run(commandLine(sourceArgument(machine))))
            << shown;
        EXPECT_EQ(logUpTo(9), machine.log()) << shown;
        EXPECT_TRUE(exists(strayJar)) << shown;
        EXPECT_FALSE(exists(drive + "\\lib\\security\\local_policy.jar")) << shown;
    }
    DeleteFileA(strayJar.c_str());
    DeleteFileA((drive + "\\lib\\security\\local_policy.jar").c_str());
    DeleteFileA((drive + "\\lib\\security\\US_export_policy.jar").c_str());
    for (const char* folder : {"\\lib\\security", "\\lib\\ext", "\\lib"}) RemoveDirectoryA((drive + folder).c_str());
}

// Every reader of RuntimeLib takes at most 128 bytes of it, the terminating zero
// included. A path of tarnel.dll of 127 characters is installed whole, from the long
// folder itself; one of 128 is refused at step 4, before anything is written: the
// value stays as it was (or absent), no jar is touched and regsvr32 is not run.
TEST(InstallerRun, PathOfTarnelDllLongerThan127CharactersIsRefused)
{
    struct Case {
        size_t length;
        bool earlierValue;
    };
    const Case cases[] = {{127, true}, {128, true}, {128, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + (c.earlierValue ? " over an earlier value" : " with no value before"));
        Machine machine;
        TestSupport::SavedRegistryValue runtimeLib(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel", "RuntimeLib");
        if (!c.earlierValue) runtimeLib.remove();
        const std::string directory = machine.installation.directory();
        const size_t padding = c.length - directory.size() - std::string("\\tarnel.dll").size();
        ASSERT_LT(padding, c.length) << "the installation directory is already too long";
        const std::string source = directory + std::string(padding, 'a') + "\\";
        ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr)) << source;
        for (const char* file : {"US_export_policy.jar", "TarnelOutlook.dll"})
            ASSERT_TRUE(CopyFileA((directory + file).c_str(), (source + file).c_str(), FALSE));
        TestSupport::writeFile(source + "local_policy.jar", "local_policy.jar of the long folder");
        const std::string value = source + "tarnel.dll";
        ASSERT_EQ(c.length, value.size());

        const Lines boxes = run(commandLine("/" + source + "/"));
        if (c.length == 127) {
            EXPECT_EQ(Lines(), boxes);
            EXPECT_EQ(logUpTo(15), machine.log());
            EXPECT_EQ(value, machine.installation.runtimeLib());
            EXPECT_FALSE(machine.staleJarsLeft());
            EXPECT_EQ("local_policy.jar of the long folder",
                      TestSupport::readFile(machine.securityDirectory() + "local_policy.jar"));
            EXPECT_EQ(source + "TarnelOutlook.dll|" + machine.regsvr32 + " \"" + source + "TarnelOutlook.dll\" /s\r\n",
                      machine.registrations());
        } else {
            EXPECT_EQ(Lines({errorBox("Quenby Install Failure: The path of tarnel.dll may hold at most 127 "
                                      "characters!\n" + value)}),
                      boxes);
            EXPECT_EQ(logUpTo(4), machine.log());
            EXPECT_EQ(c.earlierValue ? Machine::kEarlierRuntimeLib : "(no value)", machine.installation.runtimeLib());
            for (const char* jar : kStaleJars) EXPECT_TRUE(exists(machine.extDirectory() + jar)) << jar;
            EXPECT_FALSE(exists(machine.securityDirectory() + "local_policy.jar"));
            EXPECT_EQ("", machine.registrations());
        }
    }
}

// The source directory lies between the first two slashes of the whole command line,
// program path included. These runs end quietly after step 10: no Office.
TEST(InstallerRun, SourceDirectoryIsTheTextBetweenTheFirstTwoSlashes)
{
    Machine machine;
    machine.office.clear();
    struct Case {
        std::string line;
        std::string runtimeLib;
    };
    const Case cases[] = {
        {commandLine("/C:\\Source\\/"), "C:\\Source\\tarnel.dll"},    // ends with a backslash: none added
        {commandLine("/C:\\Source/"), "C:\\Source\\tarnel.dll"},      // exactly one added
        {commandLine("/C:/Source/Disk1/"), "C:\\tarnel.dll"},         // cut at its first forward slash
        {commandLine("/C:\\Source/ more words \"and quotes\""), "C:\\Source\\tarnel.dll"},
        {commandLine("\"/C:\\Source\\/\""), "C:\\Source\\tarnel.dll"},  // a closing quote after it
        {commandLine("/C:\\Source With Blanks/"), "C:\\Source With Blanks\\tarnel.dll"},
        // A slash in the program path counts as the first.
        {"C:\\Programs/C:\\Source\\/TarnelRegister.exe /D:\\Other\\/", "C:\\Source\\tarnel.dll"},
    };
    for (const Case& c : cases) {
        DeleteFileA((machine.appData.path() + "tarnel.log").c_str());
        EXPECT_EQ(Lines(), run(c.line)) << c.line;
        EXPECT_EQ(c.runtimeLib, machine.installation.runtimeLib()) << c.line;
        EXPECT_EQ(logUpTo(10), machine.log()) << c.line;
    }
    // A wide command line whose every character the ANSI code page has goes through,
    // byte for byte.
    ASSERT_EQ(1252u, GetACP());
    DeleteFileA((machine.appData.path() + "tarnel.log").c_str());
    const std::wstring program(kProgram.begin(), kProgram.end());
    EXPECT_EQ(Lines(), runWide(L"\"" + program + L"\" /C:\\Caf\u00e9\\/"));
    EXPECT_EQ("C:\\Caf\xe9\\tarnel.dll", machine.installation.runtimeLib());
    EXPECT_EQ(logUpTo(10), machine.log());
}

// A source folder that no reader of RuntimeLib can use is refused at step 4 like a
// path that is too long: one box names the path of tarnel.dll and says why, the log
// ends with the step-4 line, RuntimeLib stays as it was (or absent), no jar is touched
// and regsvr32 is not run. Standing in the installation's parent folder, the relative
// and the driveless folders name the real installation, which a run would otherwise
// carry through to the add-in's registration. The last two folders hold characters
// that the ANSI code page (1252 here) lacks or has only a look-alike for: they come in
// a wide command line, as Windows hands them over.
TEST(InstallerRun, SourceFolderThatNoReaderCanUseIsRefused)
{
    ASSERT_EQ(1252u, GetACP());
    const std::string notAbsolute = "The path of tarnel.dll must be a full path that starts with a drive or a network share!";
    const std::string notCarried =
        "The path of tarnel.dll cannot be read, as the command line holds characters outside the ANSI code page!";
    struct Case {
        std::wstring arguments;  // after the quoted program path, or the whole line
        std::string runtimeLib;  // the path named in the box
        const std::string& why;
        bool earlierValue;
        bool wholeLine = false;
    };
    Machine machine;
    const std::string installation = machine.installation.directory();  // "...\Tarnel App\"
    const std::string parent = installation.substr(0, installation.size() - std::string("Tarnel App\\").size());
    ScopedCurrentDirectory standing(parent);
    const std::wstring driveless(installation.begin() + 2, installation.end());
    const Case cases[] = {
        {L"/Tarnel App/", "Tarnel App\\tarnel.dll", notAbsolute, true},
        {L"/" + driveless + L"/", installation.substr(2) + "tarnel.dll", notAbsolute, false},
        {L"//", "\\tarnel.dll", notAbsolute, true},
        {L"C:\\other/Tarnel App/TarnelRegister.exe", "Tarnel App\\tarnel.dll", notAbsolute, true, true},
        {L"/C:\\other\\\u65e5\u672c\\/", "C:\\other\\??\\tarnel.dll", notCarried, false},
        // The best fit of the fullwidth solidus is a "/", which ends the folder early.
        {L"/C:\\other\\Setup\uff0fFiles\\/", "C:\\other\\Setup\\tarnel.dll", notCarried, true},
    };
    const std::wstring program(kProgram.begin(), kProgram.end());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runtimeLib);
        TestSupport::SavedRegistryValue runtimeLib(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel", "RuntimeLib");
        if (!c.earlierValue) runtimeLib.remove();
        DeleteFileA((machine.appData.path() + "tarnel.log").c_str());

        EXPECT_EQ(Lines({errorBox("Quenby Install Failure: " + c.why + "\n" + c.runtimeLib)}),
                  runWide(c.wholeLine ? c.arguments : L"\"" + program + L"\" " + c.arguments));
        EXPECT_EQ(logUpTo(4), machine.log());
        EXPECT_EQ(c.earlierValue ? Machine::kEarlierRuntimeLib : "(no value)", machine.installation.runtimeLib());
        for (const char* jar : kStaleJars) EXPECT_TRUE(exists(machine.extDirectory() + jar)) << jar;
        EXPECT_FALSE(exists(machine.securityDirectory() + "local_policy.jar"));
        EXPECT_EQ("", machine.registrations());
        for (const std::string& profile : machine.profiles.all()) EXPECT_EQ("", addinValuesOf(profile)) << profile;
    }
}

TEST(InstallerRun, CommandLineWithoutTwoSlashesShowsTheUsageBox)
{
    Machine machine;
    for (const std::string& line : {"\"" + kProgram + "\"", commandLine("C:\\Source\\"), commandLine("/C:\\Source\\"),
                                    commandLine("C:\\Source\\/")}) {
        DeleteFileA((machine.appData.path() + "tarnel.log").c_str());
        EXPECT_EQ(Lines({errorBox(kUsage)}), run(line)) << line;
        EXPECT_EQ(logUpTo(2), machine.log()) << line;
        EXPECT_EQ(Machine::kEarlierRuntimeLib, machine.installation.runtimeLib()) << line;
        EXPECT_TRUE(machine.staleJarsLeft()) << line;
    }
}

// Where the lines go, shown on the shortest run (no source directory: three lines,
// then the usage box), and on a whole run when no line can be written.
TEST(InstallerRun, StepLogGoesToAppDataOrTheCurrentDirectoryOrIntoBoxes)
{
    Machine machine;
    const Lines usage = {errorBox(kUsage)};
    auto logFailureBox = [](int step) {
        return warningBox(std::string("Failure: Impossible to log this message in tarnel.log\n") + kStepLines[step]);
    };
    {
        SCOPED_TRACE("APPDATA not set: the current directory");
        TestSupport::ScratchDirectory here("cwd");
        ScopedCurrentDirectory standing(here.path());
        ScopedEnvironment unset("APPDATA", nullptr);
        EXPECT_EQ(usage, run("\"" + kProgram + "\""));
        EXPECT_EQ(logUpTo(2), TestSupport::readFile(here.path() + "tarnel.log"));
    }
    {
        SCOPED_TRACE("APPDATA names no folder: a box for every line, and every step runs");
        ScopedEnvironment missing("APPDATA", (machine.appData.path() + "missing").c_str());
        Lines expected;
        for (int step = 0; step <= 2; ++step) expected.push_back(logFailureBox(step));
        expected.push_back(errorBox(kUsage));
        EXPECT_EQ(expected, run("\"" + kProgram + "\""));

        // A whole run: sixteen boxes, and the add-in is registered all the same.
        expected.clear();
        for (int step = 0; step <= 15; ++step) expected.push_back(logFailureBox(step));
        EXPECT_EQ(expected, run(commandLine(sourceArgument(machine))));
        EXPECT_EQ(machine.registration(), machine.registrations());
    }
    {
        // The marker is looked for in c:\temp whatever the test's own folders are,
        // afresh for every line: made or removed while a box is up, it counts from
        // the next line on.
        SCOPED_TRACE("the marker file c:\\temp\\tarnel.txt: each line in a box, none in the file");
        const char marker[] = "c:\\temp\\tarnel.txt";
        bool hadTemp = exists("c:\\temp");
        CreateDirectoryA("c:\\temp", nullptr);
        ASSERT_FALSE(exists(marker)) << "a marker is already there";
        TestSupport::writeFile(marker, "");
        Lines always = run("\"" + kProgram + "\"");
        Lines removed = run("\"" + kProgram + "\"", [&](size_t box) {
            if (box == 0) DeleteFileA(marker);
        });
        std::string logAfterRemoval = machine.log();
        Lines made;
        {
            ScopedEnvironment missing("APPDATA", (machine.appData.path() + "missing").c_str());
            made = run("\"" + kProgram + "\"", [&](size_t box) {
                if (box == 0) TestSupport::writeFile(marker, "");
            });
        }
        DeleteFileA(marker);
        if (!hadTemp) RemoveDirectoryA("c:\\temp");
        EXPECT_EQ(Lines({warningBox(kStepLines[0]), warningBox(kStepLines[1]), warningBox(kStepLines[2]), errorBox(kUsage)}),
                  always);
        EXPECT_EQ(Lines({warningBox(kStepLines[0]), errorBox(kUsage)}), removed);
        EXPECT_EQ(std::string(kStepLines[1]) + "\r\n" + kStepLines[2] + "\r\n", logAfterRemoval);
        EXPECT_EQ(Lines({logFailureBox(0), warningBox(kStepLines[1]), warningBox(kStepLines[2]), errorBox(kUsage)}), made);
    }
}

}  // namespace
