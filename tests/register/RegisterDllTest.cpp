// The regsvr32 run in this process. Its command line is read by a recorder put in
// the place of the tool (a SystemRoot of the test's own); the stock tool runs on the
// stand-in add-in, for its exit code and as the tool taken without SystemRoot.
#include "register/RegisterDll.h"

#include "InstallerState.h"
#include "MessageBoxWatcher.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

namespace {

using TestSupport::ScopedCurrentDirectory;
using TestSupport::ScopedEnvironment;
using Lines = std::vector<std::string>;

std::string launchFailureBox(const std::string& tool, const std::string& library, const std::string& reason)
{
    return boxLine("register_tests", "Quenby Install Failure: Impossible to launch " + tool + " " + library +
                                         "\nReason: " + reason,
                   "OK", "exclamation");
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class RegisterDllRun : public ::testing::Test {
protected:
    int run(const std::string& library, Lines& boxes)
    {
        MessageBoxWatcher watcher(GetCurrentProcessId(), {"OK"});
        int result = RegisterDll().Regsvr32(library.c_str());
        boxes = watcher.stop();
        return result;
    }
    std::string recorded()
    {
        std::string line = TestSupport::readFile(record);
        DeleteFileA(record.c_str());
        return line;
    }

    TestSupport::ScratchDirectory systemRoot{"systemroot"};
    TestSupport::ScratchDirectory elsewhere{"elsewhere"};
    std::string recorder = systemRoot.copyIn(TestSupport::buildPath("tests/fixtures/cmdlinerecorder/cmdlinerecorder.exe"),
                                             "system32\\regsvr32.exe");
    std::string record = systemRoot.path() + "system32\\regsvr32.cmdline";
    std::string root = systemRoot.path().substr(0, systemRoot.path().size() - 1);
    ScopedEnvironment systemRootVariable{"SystemRoot", root.c_str()};
    ScopedEnvironment exitCode{"RECORDER_EXIT_CODE", nullptr};
};

TEST_F(RegisterDllRun, ToolGetsTheLibraryAsGivenThenSlashS)
{
    const std::string tool = root + "\\system32\\regsvr32.exe";
    struct Case {
        std::string library;
        const char* exitCode;
        int errnoBefore;
        int result;
        Lines boxes;
    };
    const Case cases[] = {
        {"\"C:\\Tarnel App\\TarnelOutlook.dll\"", nullptr, 0, 0, {}},
        // No quotes are added: a path with blanks reaches the tool as several words.
        {"C:\\Tarnel App\\TarnelOutlook.dll", nullptr, 0, 0, {}},
        // The tool ran and failed. The reason is left empty, whatever an earlier
        // failure of this process left in errno.
        {"\"C:\\T\\TarnelOutlook.dll\"", "7", ENOENT, 7, {launchFailureBox(tool, "\"C:\\T\\TarnelOutlook.dll\"", "")}},
        {"\"C:\\T\\TarnelOutlook.dll\"", "-1", EINVAL, -1, {launchFailureBox(tool, "\"C:\\T\\TarnelOutlook.dll\"", "")}},
    };
    for (const Case& c : cases) {
        exitCode.set(c.exitCode);
        errno = c.errnoBefore;
        Lines boxes;
        EXPECT_EQ(c.result, run(c.library, boxes)) << c.library;
        EXPECT_EQ(c.boxes, boxes) << c.library;
        EXPECT_EQ(tool + " " + c.library + " /s\r\n", recorded()) << c.library;
    }
}

// Without SystemRoot the tool comes from the system directory, by its full path: a
// regsvr32.exe planted where "\system32\regsvr32.exe" would have been found, under a
// PATH folder or at the current drive's root, is not run. The stock tool runs, and the
// stand-in add-in records its command line.
TEST_F(RegisterDllRun, WithoutSystemRootTheSystemDirectorysToolIsRun)
{
    systemRootVariable.set(nullptr);
    // The fixture's recorder lies in <root>\system32 under this PATH folder.
    ScopedEnvironment pathVariable("PATH", (root + ";" + std::getenv("PATH")).c_str());
    ScopedCurrentDirectory standing(elsewhere.path());
    const std::string drive = elsewhere.path().substr(0, 2);
    const std::string atRoot = drive + "\\system32\\regsvr32.exe";
    ASSERT_FALSE(exists(drive + "\\system32")) << "the drive already has a \\system32";
    ASSERT_TRUE(CreateDirectoryA((drive + "\\system32").c_str(), nullptr));
    EXPECT_TRUE(CopyFileA(recorder.c_str(), atRoot.c_str(), TRUE));

    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string tool = std::string(system) + "\\regsvr32.exe";
    std::string addin = elsewhere.copyIn(TestSupport::buildPath("tests/fixtures/outlookaddin/TarnelOutlook.dll"),
                                         "TarnelOutlook.dll");
    std::string calls = elsewhere.path() + "calls.txt";
    ScopedEnvironment recordVariable("TARNEL_ADDIN_RECORD", calls.c_str());
    const std::string library = "\"" + addin + "\"";
    Lines boxes;
    EXPECT_EQ(0, run(library, boxes));
    EXPECT_EQ(Lines(), boxes);
    EXPECT_EQ(addin + "|" + tool + " " + library + " /s\r\n", TestSupport::readFile(calls));
    EXPECT_EQ("", recorded()) << "the tool under PATH ran";
    const std::string rootRecord = drive + "\\system32\\regsvr32.cmdline";
    EXPECT_FALSE(exists(rootRecord)) << "the tool at the drive's root ran";

    DeleteFileA(rootRecord.c_str());
    DeleteFileA(atRoot.c_str());
    RemoveDirectoryA((drive + "\\system32").c_str());
}

// The stock tool ends with 5 when the library's DllRegisterServer fails (Windows'
// regsvr32 uses the same code), and the run hands that code on after its box.
TEST_F(RegisterDllRun, StockToolsFailureCodeIsTheResult)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    systemRootVariable.set(windows);
    std::string addin = elsewhere.copyIn(TestSupport::buildPath("tests/fixtures/outlookaddin/TarnelOutlook.dll"),
                                         "TarnelOutlook.dll");
    std::string calls = elsewhere.path() + "calls.txt";
    ScopedEnvironment recordVariable("TARNEL_ADDIN_RECORD", calls.c_str());
    const std::string library = "\"" + addin + "\"";
    const std::string tool = std::string(windows) + "\\system32\\regsvr32.exe";
    {
        Lines boxes;
        EXPECT_EQ(0, run(library, boxes));
        EXPECT_EQ(Lines(), boxes);
    }
    {
        ScopedEnvironment fail("TARNEL_ADDIN_FAIL", "1");
        Lines boxes;
        EXPECT_EQ(5, run(library, boxes));
        EXPECT_EQ(Lines({launchFailureBox(tool, library, "")}), boxes);
    }
    std::string once = addin + "|" + tool + " " + library + " /s\r\n";
    EXPECT_EQ(once + once, TestSupport::readFile(calls));
}

}  // namespace
