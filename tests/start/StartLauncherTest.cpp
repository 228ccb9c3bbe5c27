#include "InstallationLayout.h"
#include "MessageBoxWatcher.h"
#include "RunWithOleBroken.h"
#include "StandInServer.h"
#include "TestPaths.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using TestSupport::readFile;
using TestSupport::waitForLines;

const char kPreferenceKey[] = "Software\\JavaSoft\\Prefs\\com\\quenby\\application\\tools";
const char kPreferenceValue[] = "start/On/Windows/Startup";
const char kVisualAction[] = "quenby.visualAction";
const char kCreated[] = "quenby.visualAction create";
const char kReleased[] = "quenby.visualAction release";
// CO_E_SERVER_EXEC_FAILURE: the class is registered, its server does not come up.
const char kServerFails[] = "0x80080005";
const DWORD kRetryDelayMs = 12000;
// A run that does not wait for a retry ends well within this.
const DWORD kQuickRunMs = 5000;

std::string refusedBy(const std::string& commandLine) { return "quenby.visualAction refused by " + commandLine; }

bool eventually(const std::function<bool()>& condition, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount();; Sleep(5)) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
    }
}

std::vector<PROCESSENTRY32> processesNamed(const char* imageName)
{
    std::vector<PROCESSENTRY32> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, imageName) == 0) found.push_back(entry);
    CloseHandle(snapshot);
    return found;
}

// A handle on the running process of that image name started by `parentId`, or null.
HANDLE openChild(const char* imageName, DWORD parentId)
{
    for (const PROCESSENTRY32& entry : processesNamed(imageName))
        if (entry.th32ParentProcessID == parentId)
            return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
    return nullptr;
}

bool noneRunning(const char* imageName)
{
    return eventually([&] { return processesNamed(imageName).empty(); }, kQuickRunMs);
}

void setValue(HKEY root, const char* subKey, const char* name, DWORD type, const std::string& bytes)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size())));
    RegCloseKey(key);
}

void setRuntimeLib(const char* value)
{
    if (value) return setValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel", "RuntimeLib", REG_SZ, std::string(value) + '\0');
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "RuntimeLib");
    RegCloseKey(key);
}

// The Java application's start-up preference, put back as it was when the test ends.
class StartPreference {
public:
    StartPreference() : m_saved(HKEY_CURRENT_USER, kPreferenceKey, kPreferenceValue)
    {
        HKEY key;
        m_keyExisted = RegOpenKeyExA(HKEY_CURRENT_USER, kPreferenceKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS;
        if (m_keyExisted) RegCloseKey(key);
    }
    // The key comes back before the saved value is put back into it.
    ~StartPreference()
    {
        HKEY key;
        if (m_keyExisted && RegCreateKeyExA(HKEY_CURRENT_USER, kPreferenceKey, 0, nullptr, 0, KEY_QUERY_VALUE,
                                            nullptr, &key, nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    }

    void set(DWORD type, const std::string& bytes) { setValue(HKEY_CURRENT_USER, kPreferenceKey, kPreferenceValue, type, bytes); }
    void removeValue()
    {
        set(REG_SZ, std::string("x", 2));  // makes sure that the key exists
        m_saved.remove();
    }
    // The Java application keeps nothing else in this key in the test prefix.
    void removeKey()
    {
        m_saved.remove();
        RegDeleteKeyA(HKEY_CURRENT_USER, kPreferenceKey);
    }

private:
    TestSupport::SavedRegistryValue m_saved;
    bool m_keyExisted = false;
};

struct LauncherRun {
    Lines boxes;
    DWORD exitCode = STILL_ACTIVE;
    DWORD processId = 0;
    DWORD elapsedMs = 0;
};

class StartLauncher : public ::testing::Test {
protected:
    StartLauncher() { preference.set(REG_SZ, std::string("true", 5)); }

    // Runs tarnelstart as the log-on entry starts it, its path quoted, and waits for
    // its end (a retry run included, which is a process of its own).
    static LauncherRun run(const std::string& program, const std::function<void(DWORD)>& whileRunning = nullptr)
    {
        LauncherRun result;
        DWORD start = GetTickCount();
        WatchedProcess process(program, "\"" + program + "\"", {});
        EXPECT_TRUE(process.started()) << program;
        result.processId = process.processId();
        if (whileRunning) whileRunning(result.processId);
        result.boxes = process.wait(kRetryDelayMs + 8000);
        result.exitCode = process.exitCode();
        result.elapsedMs = GetTickCount() - start;
        return result;
    }

    // The command-line recorder as the tray program of a folder; it records into
    // "<folder>tarneltray.cmdline".
    static void installTray(const std::string& folder)
    {
        ASSERT_TRUE(CopyFileA(windowsPathOf(CMDLINERECORDER_EXE).c_str(), (folder + "tarneltray.exe").c_str(), FALSE));
    }
    std::string trayRecord() const { return installation.directory() + "tarneltray.cmdline"; }
    std::string quoted(const std::string& path) const { return "\"" + path + "\""; }

    // A tray started by overlay writes its record only after the launcher that started
    // it has ended, so "no tray started" cannot be read the moment a run ends. One more
    // run, with everything in place and a tray folder of its own, must start its tray:
    // once that record is there, a tray that any earlier run started (created before
    // this run even began) has had the time to write its own. RuntimeLib is then put
    // back to the installation's.
    void runUntilATrayHasStarted(const std::string& launcher)
    {
        const std::string folder = installation.directory() + "accepted\\";
        if (CreateDirectoryA(folder.c_str(), nullptr)) installTray(folder);
        DeleteFileA((folder + "tarneltray.cmdline").c_str());
        installation.setRuntimeLib(folder + "tarnel.dll");
        preference.set(REG_SZ, std::string("true", 5));
        standIn.set(kVisualAction, "refuseCreate", nullptr);
        LauncherRun accepted = run(launcher);
        installation.setRuntimeLib(installation.directory() + "tarnel.dll");
        EXPECT_EQ(Lines(), accepted.boxes);
        EXPECT_EQ(folder + "tarneltray.exe windowsstart\r\n", waitForLines(folder + "tarneltray.cmdline", 1))
            << "the accepted run started no tray";
    }

    StartPreference preference;
    InstallationLayout installation;
    StandInServer standIn;
    std::string program = installation.install(TARNELSTART_EXE);
};

// What a run leaves behind when the probe works and the tray is handed over: the
// tray's whole command line, and the probe object still held when the launcher
// ended (no release logged).
TEST_F(StartLauncher, PreferenceDecidesWhetherTheTrayIsStarted)
{
    enum Setting { KeyMissing, ValueMissing, Value };
    struct Case {
        const char* what;
        Setting setting;
        DWORD type;
        std::string bytes;
        bool starts;
    };
    const Case cases[] = {
        {"key missing", KeyMissing, 0, "", true},
        {"value missing", ValueMissing, 0, "", true},
        {"false", Value, REG_SZ, std::string("false", 6), false},
        {"TRUE", Value, REG_SZ, std::string("TRUE", 5), false},
        {"a longer text holding true", Value, REG_SZ, std::string("start=true;minimised", 21), true},
        {"empty", Value, REG_SZ, std::string(1, '\0'), false},
        // 127 characters and the terminator fill the 128 bytes: read, and no "true".
        {"128 bytes", Value, REG_SZ, std::string(127, 'x') + '\0', false},
        // One byte more cannot be read, so it counts as start, "true" or not.
        {"129 bytes", Value, REG_SZ, std::string(128, 'x') + '\0', true},
        {"true after the first zero byte", Value, REG_MULTI_SZ, std::string("false\0true\0", 12), false},
        {"the number 1 as a 4-byte value", Value, REG_DWORD, std::string("\x01\0\0\0", 4), false},
        // Bytes of any type are text up to the end of what was read.
        {"binary ending in true", Value, REG_BINARY, std::string(124, 'x') + "true", true},
    };
    // Each case has a tray folder of its own, so that a tray started late is seen in
    // the record of the case that started it.
    std::vector<std::string> folders;
    for (const Case& c : cases) {
        folders.push_back(installation.directory() + "case " + std::to_string(folders.size()) + "\\");
        const std::string& folder = folders.back();
        CreateDirectoryA(folder.c_str(), nullptr);
        installTray(folder);
        installation.setRuntimeLib(folder + "tarnel.dll");
        standIn.reset();
        if (c.setting == KeyMissing) preference.removeKey();
        else if (c.setting == ValueMissing) preference.removeValue();
        else preference.set(c.type, c.bytes);

        LauncherRun launcher = run(program);
        EXPECT_EQ(Lines(), launcher.boxes) << c.what;
        EXPECT_EQ(0u, launcher.exitCode) << c.what;
        if (c.starts) {
            EXPECT_EQ(folder + "tarneltray.exe windowsstart\r\n", waitForLines(folder + "tarneltray.cmdline", 1))
                << c.what;
            EXPECT_EQ(Lines({kCreated}), standIn.calls()) << c.what;
        } else {
            // The preference comes before the probe: no object is even created.
            EXPECT_EQ(Lines(), standIn.calls()) << c.what;
        }
    }
    runUntilATrayHasStarted(program);
    for (size_t i = 0; i < folders.size(); ++i)
        EXPECT_EQ(cases[i].starts ? folders[i] + "tarneltray.exe windowsstart\r\n" : "",
                  readFile(folders[i] + "tarneltray.cmdline"))
            << cases[i].what;
    EXPECT_TRUE(noneRunning("tarneltray.exe"));
}

TEST_F(StartLauncher, ProbeWorkingHandsOverToTheTrayAndEndsAtOnce)
{
    installTray(installation.directory());
    // The tray stays a while after recording its line: the launcher must not wait for it.
    SetEnvironmentVariableA("RECORDER_SLEEP_MS", "3000");
    LauncherRun launcher = run(program);
    SetEnvironmentVariableA("RECORDER_SLEEP_MS", nullptr);

    EXPECT_EQ(Lines(), launcher.boxes);
    EXPECT_EQ(0u, launcher.exitCode);
    EXPECT_EQ(installation.directory() + "tarneltray.exe windowsstart\r\n", waitForLines(trayRecord(), 1));
    HANDLE tray = openChild("tarneltray.exe", launcher.processId);
    ASSERT_NE(nullptr, tray) << "the tray started by the launcher should outlive it";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(tray, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(tray, 10000));
    CloseHandle(tray);
    // Nothing of the object was called, and the launcher ended while it held it.
    EXPECT_EQ(Lines({kCreated}), standIn.calls());
}

TEST_F(StartLauncher, MissingTrayProgramShowsNothingAndDoesNotRetry)
{
    LauncherRun launcher = run(program);
    EXPECT_EQ(Lines(), launcher.boxes);
    EXPECT_EQ(0u, launcher.exitCode);
    EXPECT_LT(launcher.elapsedMs, kQuickRunMs);
    EXPECT_EQ(Lines({kCreated, kReleased}), standIn.calls());
    EXPECT_TRUE(noneRunning("tarnelstart.exe"));
}

// The retry run is seen through its own effects: its probe reaches the stand-in,
// which logs the command line of the process that asks.
class StartLauncherRetry : public StartLauncher {
protected:
    void SetUp() override
    {
        installTray(installation.directory());
        standIn.set(kVisualAction, "refuseCreate", kServerFails);
    }

    // Starts the launcher, notes when each probe reaches the stand-in and catches the
    // retry process as it appears; `onFirstProbe` runs once the first probe failed.
    LauncherRun runWithRetry(const std::function<void()>& onFirstProbe = nullptr)
    {
        return run(program, [&](DWORD firstId) {
            ASSERT_TRUE(eventually([&] { return standIn.calls().size() == 1; }, kQuickRunMs));
            firstProbeMs = GetTickCount();
            if (onFirstProbe) onFirstProbe();
            // The retry is created just before the first run ends.
            eventually([&] { return (retry = openChild("tarnelstart.exe", firstId)) != nullptr; },
                       kRetryDelayMs + 5000);
            eventually([&] { return standIn.calls().size() == 2; }, kQuickRunMs);
            secondProbeMs = GetTickCount();
        });
    }

    void TearDown() override
    {
        if (retry) CloseHandle(retry);
    }

    DWORD firstProbeMs = 0, secondProbeMs = 0;
    HANDLE retry = nullptr;
};

TEST_F(StartLauncherRetry, ProbeFailingTwiceRetriesOnceAfterTheWaitAndGivesUp)
{
    LauncherRun launcher = runWithRetry();
    EXPECT_EQ(Lines(), launcher.boxes);
    EXPECT_EQ(0u, launcher.exitCode);
    ASSERT_NE(nullptr, retry) << "no tarnelstart.exe started by the first run";
    // The retry gives up at once: no second wait, no third run.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(retry, kQuickRunMs));
    DWORD retryExitCode = STILL_ACTIVE;
    GetExitCodeProcess(retry, &retryExitCode);
    EXPECT_EQ(0u, retryExitCode);
    EXPECT_TRUE(noneRunning("tarnelstart.exe"));

    // The retry is the program of the installation directory, path and word unquoted.
    EXPECT_EQ(Lines({refusedBy(quoted(program)), refusedBy(installation.directory() + "tarnelstart.exe restart")}),
              standIn.calls());
    EXPECT_EQ(1u, standIn.callsOf(launcher.processId).size());
    runUntilATrayHasStarted(program);
    EXPECT_EQ("", readFile(trayRecord()));

    DWORD waitedMs = secondProbeMs - firstProbeMs;
    std::printf("[ measured ] first probe to the retry's probe: %lu ms\n", waitedMs);
    EXPECT_GE(waitedMs, kRetryDelayMs);
    EXPECT_LT(waitedMs, kRetryDelayMs + 2000);
}

TEST_F(StartLauncherRetry, RetryStartsTheTrayOnceTheJavaSideIsUp)
{
    LauncherRun launcher = runWithRetry([&] { standIn.set(kVisualAction, "refuseCreate", nullptr); });
    EXPECT_EQ(Lines(), launcher.boxes);
    EXPECT_EQ(0u, launcher.exitCode);
    ASSERT_NE(nullptr, retry);
    EXPECT_EQ(installation.directory() + "tarneltray.exe windowsstart\r\n", waitForLines(trayRecord(), 1));
    EXPECT_EQ(Lines({refusedBy(quoted(program)), kCreated}), standIn.calls());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(retry, kQuickRunMs));
    EXPECT_TRUE(noneRunning("tarneltray.exe"));
}

// The launcher run from another folder, while the installation directory holds no
// tarnelstart.exe: after the wait the retry cannot be started, and the run ends
// quietly. Nothing is started in its place, neither the launcher of its own folder
// nor the tray.
TEST_F(StartLauncherRetry, RetryProgramMissingFromTheInstallationEndsQuietlyAfterTheWait)
{
    std::string elsewhere = installation.install(TARNELSTART_EXE, "elsewhere");
    installation.remove("tarnelstart.exe");
    LauncherRun launcher = run(elsewhere);
    EXPECT_EQ(Lines(), launcher.boxes);
    EXPECT_EQ(0u, launcher.exitCode);
    EXPECT_GE(launcher.elapsedMs, kRetryDelayMs);
    EXPECT_TRUE(noneRunning("tarnelstart.exe"));
    EXPECT_EQ(Lines({refusedBy(quoted(elsewhere))}), standIn.calls());
    runUntilATrayHasStarted(elsewhere);
    EXPECT_EQ("", readFile(trayRecord()));
}

// "restart" is looked for in the whole command line, program path included. A retry
// would start the launcher of the installation directory, whose probe would show.
TEST_F(StartLauncherRetry, AnInstallationPathHoldingRestartDisablesTheRetry)
{
    std::string restartProgram = installation.install(TARNELSTART_EXE, "restart point");
    LauncherRun launcher = run(restartProgram);
    EXPECT_EQ(Lines(), launcher.boxes);
    EXPECT_EQ(0u, launcher.exitCode);
    EXPECT_LT(launcher.elapsedMs, kQuickRunMs);
    EXPECT_TRUE(noneRunning("tarnelstart.exe"));
    EXPECT_EQ(Lines({refusedBy(quoted(restartProgram))}), standIn.calls());
}

// With no installation directory, or "\" (RuntimeLib without "tarnel.dll", or
// beginning with it), or one that is not absolute (relative, or rooted without a
// drive), nothing is started: neither a bare name found in the current directory or
// along PATH, nor a program relative to the current directory, the root of the
// current drive or a PATH folder, nor one at that root itself. Each of those places
// holds a tray and a launcher here, so that a start would show.
TEST_F(StartLauncher, WithoutAnAbsoluteInstallationDirectoryNothingIsStarted)
{
    const std::string kFolder = "TarnelPlanted\\";
    TestSupport::ScratchDirectory planted("planted");
    const std::string root = planted.path().substr(0, 3);
    // The root and the folder below it are the prefix's own: what is put there goes
    // again however the case ends.
    struct RootCleanup {
        std::string root, folder;
        ~RootCleanup()
        {
            for (const std::string& place : {root, folder})
                for (const char* file : {"tarneltray.exe", "tarnelstart.exe", "tarneltray.cmdline"})
                    DeleteFileA((place + file).c_str());
            RemoveDirectoryA(folder.c_str());
        }
    };
    for (const std::string& stale : {root + kFolder, root + "tarneltray.exe", root + "tarnelstart.exe"})
        ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stale.c_str())) << "a stale " << stale;
    RootCleanup cleanup{root, root + kFolder};
    const std::vector<std::string> places = {planted.path(), planted.path() + kFolder, root, root + kFolder};
    for (const std::string& place : places) {
        CreateDirectoryA(place.c_str(), nullptr);
        installTray(place);
        ASSERT_TRUE(CopyFileA(windowsPathOf(TARNELSTART_EXE).c_str(), (place + "tarnelstart.exe").c_str(), FALSE));
    }
    char savedDirectory[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, savedDirectory);
    char savedPath[32767];
    DWORD pathLength = GetEnvironmentVariableA("PATH", savedPath, sizeof(savedPath));
    ASSERT_GT(pathLength, 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(planted.path().c_str()));
    SetEnvironmentVariableA("PATH", (planted.path() + ";" + savedPath).c_str());

    const char* const runtimeLibs[] = {nullptr, "C:\\Tarnel App\\other.dll", "tarnel.dll",
                                       "TarnelPlanted\\tarnel.dll", "\\TarnelPlanted\\tarnel.dll"};
    for (const char* runtimeLib : runtimeLibs) {
        std::string what = runtimeLib ? runtimeLib : "no RuntimeLib";
        setRuntimeLib(runtimeLib);
        for (bool probeWorks : {true, false}) {
            standIn.reset();
            if (!probeWorks) standIn.set(kVisualAction, "refuseCreate", kServerFails);
            LauncherRun launcher = run(program);
            EXPECT_EQ(Lines(), launcher.boxes) << what;
            EXPECT_EQ(0u, launcher.exitCode) << what;
            // The failed retry start does not wait first: there is nothing to wait for.
            EXPECT_LT(launcher.elapsedMs, kQuickRunMs) << what;
            EXPECT_TRUE(noneRunning("tarnelstart.exe")) << what;
            EXPECT_EQ(probeWorks ? Lines({kCreated, kReleased}) : Lines({refusedBy(quoted(program))}), standIn.calls())
                << what << (probeWorks ? ", probe working" : ", probe failing");
        }
    }
    runUntilATrayHasStarted(program);
    for (const std::string& place : places) EXPECT_EQ("", readFile(place + "tarneltray.cmdline")) << place;

    SetCurrentDirectoryA(savedDirectory);
    SetEnvironmentVariableA("PATH", savedPath);
}

// The launcher's real OLE start-up made to fail (see OleBrokenProcess.h).
using StartLauncherInMultithreadedApartment = StartLauncher;

// OLE comes first: its failure shows even when the preference says not to start, and
// nothing else happens, the probe included.
TEST_F(StartLauncherInMultithreadedApartment, OleFailureShowsString100AndNothingElse)
{
    const Lines oleFailureBox = {boxLine("tarnelstart", kOleFailureText, "OK", "exclamation")};
    installTray(installation.directory());
    for (const char* preferred : {"true", "false"}) {
        standIn.reset();
        preference.set(REG_SZ, std::string(preferred) + '\0');
        EXPECT_EQ(oleFailureBox, runWithOleBroken(program, quoted(program))) << preferred;
        EXPECT_EQ(Lines(), standIn.calls()) << preferred;
    }
    EXPECT_EQ("", readFile(trayRecord()));
}

}  // namespace
