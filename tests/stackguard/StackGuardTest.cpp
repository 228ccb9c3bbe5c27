// The stack guard as the deliverables have it, in a program's own code and in a DLL
// it loads: an overrun of a stack buffer ends the process at once with
// STATUS_STACK_BUFFER_OVERRUN, before the overrun function returns into what it
// wrote, and without running anything more of the process (no static destructor, no
// box); the guard word is set before the static constructors run, anew in each
// process.
#include "afx/AfxStackGuard.h"

#include "MessageBoxWatcher.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const DWORD kStackBufferOverrun = 0xC0000409;

// Runs the fixture with the arguments and returns its exit code. The guard shows no
// box, and neither does the fixture.
DWORD runFixture(const std::string& arguments)
{
    WatchedProcess run(TARNEL_STACKGUARD_EXE, "stackguard " + arguments, {});
    EXPECT_TRUE(run.started());
    EXPECT_EQ(std::vector<std::string>(), run.wait(30000));
    return run.exitCode();
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(StackGuard, AnOverrunEndsTheProcessAtOnce)
{
    struct Case {
        const char* count;
        DWORD exitCode;
        bool staticDestructorsRan;
    };
    const Case cases[] = {
        {"16", 0, true},                     // the whole buffer, and not a byte more
        {"64", kStackBufferOverrun, false},  // over the guard's copy and the return address
    };
    TestSupport::ScratchDirectory scratch("stackguard");
    for (const char* where : {"program", "dll"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(where) + " fill " + c.count);
            const std::string marker = scratch.path() + where + c.count + ".end";
            EXPECT_EQ(c.exitCode, runFixture(std::string(where) + " fill " + c.count + " " + marker));
            EXPECT_EQ(c.staticDestructorsRan, exists(marker));
            DeleteFileA(marker.c_str());
        }
    }
}

// Three processes, three guard words: none is the word the image starts with (the
// entry set it before the static constructors ran), and no two are alike.
TEST(StackGuard, TheGuardWordIsSetAtTheEntryOfEachProcess)
{
    for (const char* where : {"program", "dll"}) {
        SCOPED_TRACE(where);
        std::set<DWORD> words;
        for (int run = 0; run < 3; ++run) {
            DWORD word = runFixture(std::string(where) + " guard");
            EXPECT_NE(DWORD(AFX_STACK_GUARD_INITIAL), word);
            words.insert(word);
        }
        EXPECT_EQ(3u, words.size());
    }
}

}  // namespace
