// The regsvr32 run in this process: the stock tool runs on the stand-in add-in, which
// records the tool's command line, and recorders planted where a tool named by
// SystemRoot or looked for along PATH would be record any start of theirs.
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
    // The stand-in's record of one registration by the system's tool.
    std::string registration(const std::string& addin, const std::string& library) const
    {
        return addin + "|" + tool + " " + library + " /s\r\n";
    }
    std::string registrations() const { return TestSupport::readFile(calls); }

    const std::string tool = systemRegsvr32();
    TestSupport::ScratchDirectory elsewhere{"elsewhere"};
    std::string calls = elsewhere.path() + "calls.txt";
    ScopedEnvironment recordVariable{"TARNEL_ADDIN_RECORD", calls.c_str()};
};

// The library goes to the tool as given, then "/s"; the tool's exit code is the
// result, with a box when it is not 0. A start that succeeds leaves errno alone, so
// the box's reason stays empty whatever an earlier failure of this process left there.
TEST_F(RegisterDllRun, ToolGetsTheLibraryAsGivenThenSlashS)
{
    const std::string addin = elsewhere.copyIn(TestSupport::buildPath("tests/fixtures/outlookaddin/TarnelOutlook.dll"),
                                               "Tarnel App\\TarnelOutlook.dll");
    const std::string quoted = "\"" + addin + "\"";
    struct Case {
        std::string library;
        const char* failing;  // TARNEL_ADDIN_FAIL
        int errnoBefore;
        int result;
        bool registered;
    };
    const Case cases[] = {
        {quoted, nullptr, 0, 0, true},
        // No quotes are added: the path with a blank reaches the tool as two words, and
        // the first names no library. Windows' regsvr32 ends with 3 too when it cannot
        // load one, and with 5 when its DllRegisterServer fails.
        {addin, nullptr, ENOENT, 3, false},
        {quoted, "1", EINVAL, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library + (c.failing ? ", refusing" : ""));
        DeleteFileA(calls.c_str());
        ScopedEnvironment failing("TARNEL_ADDIN_FAIL", c.failing);
        errno = c.errnoBefore;
        Lines boxes;
        EXPECT_EQ(c.result, run(c.library, boxes));
        EXPECT_EQ(c.result == 0 ? Lines() : Lines({launchFailureBox(tool, c.library, "")}), boxes);
        EXPECT_EQ(c.registered ? registration(addin, c.library) : "", registrations());
    }
}

// The tool is the system directory's, whatever SystemRoot says: a user may set it for
// their own processes without elevation, and an elevated installer takes their
// environment. Recorders stand where the tool would be found from a SystemRoot of
// the test's own, from an empty one (the current drive's root), and along PATH; none
// may run, the stock tool must. Wine sets SystemRoot afresh in every process it
// starts, whatever its parent had, so only a test in this process can change what
// the run sees.
TEST_F(RegisterDllRun, ToolIsTheSystemDirectorysWhateverSystemRootSays)
{
    const std::string recorder = TestSupport::buildPath("tests/fixtures/cmdlinerecorder/cmdlinerecorder.exe");
    TestSupport::ScratchDirectory systemRoot("systemroot");
    const std::string root = systemRoot.path().substr(0, systemRoot.path().size() - 1);
    systemRoot.copyIn(recorder, "system32\\regsvr32.exe");
    const std::string drive = elsewhere.path().substr(0, 2);
    ASSERT_FALSE(exists(drive + "\\system32")) << "the drive already has a \\system32";
    ASSERT_TRUE(CreateDirectoryA((drive + "\\system32").c_str(), nullptr));
    EXPECT_TRUE(CopyFileA(recorder.c_str(), (drive + "\\system32\\regsvr32.exe").c_str(), TRUE));
    const std::string records[] = {root + "\\system32\\regsvr32.cmdline", drive + "\\system32\\regsvr32.cmdline"};
    // The recorder in <root>\system32 is also what "\system32\regsvr32.exe" names under
    // this PATH folder.
    ScopedEnvironment pathVariable("PATH", (root + ";" + std::getenv("PATH")).c_str());
    ScopedCurrentDirectory standing(elsewhere.path());

    const std::string addin = elsewhere.copyIn(TestSupport::buildPath("tests/fixtures/outlookaddin/TarnelOutlook.dll"),
                                               "TarnelOutlook.dll");
    const std::string library = "\"" + addin + "\"";
    for (const char* value : {root.c_str(), "", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(value ? "SystemRoot=" + std::string(value) : "SystemRoot not set");
        ScopedEnvironment systemRootVariable("SystemRoot", value);
        DeleteFileA(calls.c_str());
        Lines boxes;
        EXPECT_EQ(0, run(library, boxes));
        EXPECT_EQ(Lines(), boxes);
        EXPECT_EQ(registration(addin, library), registrations());
        for (const std::string& record : records) {
            EXPECT_FALSE(exists(record)) << "the tool beside " << record << " ran";
            DeleteFileA(record.c_str());
        }
    }
    DeleteFileA((drive + "\\system32\\regsvr32.exe").c_str());
    RemoveDirectoryA((drive + "\\system32").c_str());
}

}  // namespace
