// The regsvr32 run in this process. Its command line is read by a recorder put in
// the place of the tool (a SystemRoot of the test's own); the stock tool runs once on
// the stand-in add-in, for its exit code.
#include "register/RegisterDll.h"

#include "InstallerState.h"
#include "MessageBoxWatcher.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using TestSupport::ScopedEnvironment;
using Lines = std::vector<std::string>;

std::string launchFailureBox(const std::string& tool, const std::string& library, const std::string& reason)
{
    return boxLine("register_tests", "Quenby Install Failure: Impossible to launch " + tool + " " + library +
                                         "\nReason: " + reason,
                   "OK", "exclamation");
}

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

TEST_F(RegisterDllRun, WithoutSystemRootTheToolIsLookedForAlongPath)
{
    const std::string tool = "\\system32\\regsvr32.exe";
    systemRootVariable.set(nullptr);
    {
        // Nowhere: the current drive's root has no system32, nor has PATH's folder.
        ScopedEnvironment path("PATH", elsewhere.path().c_str());
        Lines boxes;
        EXPECT_EQ(-1, run("\"C:\\T\\TarnelOutlook.dll\"", boxes));
        EXPECT_EQ(Lines({launchFailureBox(tool, "\"C:\\T\\TarnelOutlook.dll\"", "File or path is not found")}), boxes);
        EXPECT_EQ("", recorded());
    }
    {
        // A PATH folder in front of the whole name: "<folder>\" + "\system32\...".
        ScopedEnvironment path("PATH", (elsewhere.path() + ";" + root).c_str());
        Lines boxes;
        EXPECT_EQ(0, run("lib.dll", boxes));
        EXPECT_EQ(Lines(), boxes);
        EXPECT_EQ(tool + " lib.dll /s\r\n", recorded());
    }
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
