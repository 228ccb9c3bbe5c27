// The spawn call, driven against the recorder stand-in, which writes the command line
// it was given beside itself.
#include "afx/Spawn.h"
#include "HandleMark.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <string>
#include <vector>

using TestSupport::ScopedCurrentDirectory;
using TestSupport::ScopedEnvironment;
using TestSupport::ScratchDirectory;

namespace {

std::string recorderSource() { return TestSupport::buildPath("tests/fixtures/cmdlinerecorder/cmdlinerecorder.exe"); }

std::string recordOf(const std::string& exe) { return exe.substr(0, exe.size() - 4) + ".cmdline"; }


int spawn(AfxSpawnMode mode, const std::vector<std::string>& args)
{
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return AfxSpawn(mode, argv[0], argv.data());
}

}  // namespace

TEST(Spawn, ArgumentsAreJoinedBySingleBlanksAndNeverQuoted)
{
    ScratchDirectory dir("spawn");
    // A blank in the program path itself: only the application name keeps Windows
    // from cutting it at the blank.
    std::string exe = dir.copyIn(recorderSource(), "with blank\\rec.exe");
    EXPECT_EQ(0, spawn(AFX_SPAWN_WAIT, {exe, "!explorer!", "C:\\x\\a b.txt>", "\"q\"", ""}));
    EXPECT_EQ(exe + " !explorer! C:\\x\\a b.txt> \"q\" \r\n", TestSupport::readFile(recordOf(exe)));
}

TEST(Spawn, WaitGivesTheExitCodeAndTheChildInheritsTheEnvironment)
{
    ScratchDirectory dir("spawn");
    std::string exe = dir.copyIn(recorderSource(), "rec.exe");
    ScopedEnvironment code("RECORDER_EXIT_CODE", "42");
    errno = 0;
    EXPECT_EQ(42, spawn(AFX_SPAWN_WAIT, {exe}));
    EXPECT_EQ(0, errno) << "a start that succeeds leaves errno alone";
    EXPECT_EQ(exe + "\r\n", TestSupport::readFile(recordOf(exe)));
}

TEST(Spawn, NoWaitReturnsZeroAndClosesItsHandles)
{
    ScratchDirectory dir("spawn");
    std::string exe = dir.copyIn(recorderSource(), "rec.exe");
    EXPECT_EQ(0, spawn(AFX_SPAWN_NOWAIT, {exe, "run"}));   // whatever a first start keeps for good
    // Deep: Wine hands out a new process's handles above slots it used for a moment.
    HANDLE before = TestSupport::handleMark(64);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(0, spawn(AFX_SPAWN_NOWAIT, {exe, "run"}));
    EXPECT_EQ(before, TestSupport::handleMark(64)) << "process and thread handles must not leak";
    std::string record = TestSupport::waitForLines(recordOf(exe), 6);
    EXPECT_EQ(6 * (exe + " run\r\n").size(), record.size());
}

TEST(Spawn, MissingProgramFailsWithEnoent)
{
    ScratchDirectory dir("spawn");
    ScopedEnvironment path("PATH", "");   // only the name itself is tried
    errno = 0;
    EXPECT_EQ(-1, spawn(AFX_SPAWN_NOWAIT, {dir.path() + "absent.exe"}));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
}

TEST(Spawn, CommandLineOverTheSystemLimitIsRefused)
{
    ScratchDirectory dir("spawn");
    std::string exe = dir.copyIn(recorderSource(), "rec.exe");
    std::string longest(32766 - exe.size() - 1, 'a');   // 32,766 characters and the terminator
    EXPECT_EQ(0, spawn(AFX_SPAWN_WAIT, {exe, longest}));
    errno = 0;
    EXPECT_EQ(-1, spawn(AFX_SPAWN_WAIT, {exe, longest + "a"}));
    EXPECT_EQ(E2BIG, errno);
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, GetLastError());
    EXPECT_EQ(exe + " " + longest + "\r\n", TestSupport::readFile(recordOf(exe))) << "only the first start ran";
}

TEST(Spawn, BadArgumentsFailWithEinval)
{
    const char* argv[] = {"x.exe", nullptr};
    errno = 0;
    EXPECT_EQ(-1, AfxSpawn(AFX_SPAWN_WAIT, nullptr, argv));
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(-1, AfxSpawn(AFX_SPAWN_WAIT, "x.exe", nullptr));
    EXPECT_EQ(-1, AfxSpawn(static_cast<AfxSpawnMode>(7), "x.exe", argv));
}

TEST(Spawn, BareNameIsTriedInTheCurrentDirectoryFirst)
{
    ScratchDirectory here("spawn"), onPath("spawn");
    std::string local = here.copyIn(recorderSource(), "rec.exe");
    std::string other = onPath.copyIn(recorderSource(), "rec.exe");
    ScopedEnvironment path("PATH", onPath.path().c_str());
    ScopedCurrentDirectory cd(here.path());
    EXPECT_EQ(0, spawn(AFX_SPAWN_WAIT, {"rec.exe", "x"}));
    EXPECT_EQ("rec.exe x\r\n", TestSupport::readFile(recordOf(local)));
    EXPECT_EQ("", TestSupport::readFile(recordOf(other)));
}

TEST(Spawn, PathEntriesAreTriedInOrderWithQuotesRemovedAndEmptiesSkipped)
{
    ScratchDirectory empty("spawn"), first("spawn"), second("spawn"), cwd("spawn");
    std::string found = first.copyIn(recorderSource(), "rec.exe");
    second.copyIn(recorderSource(), "rec.exe");
    std::string firstDir = first.path().substr(0, first.path().size() - 1);   // no trailing backslash
    std::string path = ";\"" + empty.path() + "\";;\"" + firstDir + "\";" + second.path();
    ScopedEnvironment env("PATH", path.c_str());
    ScopedCurrentDirectory cd(cwd.path());
    // The command line keeps the name as passed.
    EXPECT_EQ(0, spawn(AFX_SPAWN_WAIT, {"rec.exe", "y"}));
    EXPECT_EQ("rec.exe y\r\n", TestSupport::readFile(recordOf(found)));
    EXPECT_EQ("", TestSupport::readFile(second.path() + "rec.cmdline"));
}

// A path that holds a folder or a drive is tried as it stands and nowhere else: a
// program of that relative path below a PATH folder is not started in its place.
// The forms: relative to the current directory, rooted without a drive (both were
// once found below PATH), and relative to the current directory of a drive. Wine
// keeps a colon inside a file name as a plain character, so "C:rec.exe" below a PATH
// folder is a program there (on Windows it would name a stream of a file "C").
TEST(Spawn, PathIsNotSearchedForANameThatHoldsAFolder)
{
    ScratchDirectory onPath("spawn"), cwd("spawn");
    const std::string folder = "spawn-planted";
    // The current drive, whose current directory holds no rec.exe.
    const std::string drive = cwd.path().substr(0, 2);
    const struct { std::string name, planted; } cases[] = {
        {folder + "\\rec.exe", folder + "\\rec.exe"},
        {"\\" + folder + "\\rec.exe", folder + "\\rec.exe"},
        {folder + "/rec.exe", folder + "\\rec.exe"},
        {drive + "rec.exe", drive + "rec.exe"},
    };
    ScopedEnvironment env("PATH", onPath.path().c_str());
    ScopedCurrentDirectory cd(cwd.path());
    for (const auto& row : cases) {
        std::string planted = onPath.copyIn(recorderSource(), row.planted);
        errno = 0;
        EXPECT_EQ(-1, spawn(AFX_SPAWN_WAIT, {row.name})) << row.name;
        EXPECT_EQ(ENOENT, errno) << row.name;
        EXPECT_EQ("", TestSupport::readFile(recordOf(planted))) << row.name;
    }
}

TEST(Spawn, PathSearchStopsAtACandidateOf260Characters)
{
    ScratchDirectory onPath("spawn"), cwd("spawn");
    onPath.copyIn(recorderSource(), "rec.exe");
    std::string tooLong = "C:\\" + std::string(MAX_PATH - 11, 'd');   // + "\rec.exe" = 260
    std::string path = tooLong + ";" + onPath.path();
    ScopedEnvironment env("PATH", path.c_str());
    ScopedCurrentDirectory cd(cwd.path());
    EXPECT_EQ(-1, spawn(AFX_SPAWN_WAIT, {"rec.exe"}));
    EXPECT_EQ(ENOENT, errno);

    std::string justFits = "C:\\" + std::string(MAX_PATH - 12, 'd') + ";" + onPath.path();
    ScopedEnvironment env2("PATH", justFits.c_str());
    EXPECT_EQ(0, spawn(AFX_SPAWN_WAIT, {"rec.exe"}));
}

// Only "not found" moves the search on: a candidate that exists but cannot run ends
// it, and a program further along PATH is not started in its place.
TEST(Spawn, PathSearchStopsAtACandidateThatCannotRun)
{
    ScratchDirectory broken("spawn"), further("spawn"), cwd("spawn");
    TestSupport::writeFile(broken.path() + "rec.exe", "not a program");
    std::string other = further.copyIn(recorderSource(), "rec.exe");
    std::string path = broken.path() + ";" + further.path();
    ScopedEnvironment env("PATH", path.c_str());
    ScopedCurrentDirectory cd(cwd.path());
    errno = 0;
    EXPECT_EQ(-1, spawn(AFX_SPAWN_WAIT, {"rec.exe"}));
    EXPECT_EQ(ENOEXEC, errno);
    EXPECT_EQ("", TestSupport::readFile(recordOf(other)));
}

TEST(Spawn, OverlayEndsTheCallerWithExitCodeZeroOnceTheChildExists)
{
    ScratchDirectory dir("spawn");
    std::string exe = dir.copyIn(recorderSource(), "rec.exe");
    std::string driver = TestSupport::buildPath("tests/spawn/overlaydriver.exe");
    ScopedEnvironment code("RECORDER_EXIT_CODE", "42");
    EXPECT_EQ(0, spawn(AFX_SPAWN_WAIT, {driver, exe, "over"}));
    EXPECT_EQ(exe + " over\r\n", TestSupport::waitForLines(recordOf(exe), 1));
}

TEST(Spawn, OverlayThatFailsLetsTheCallerGoOn)
{
    ScratchDirectory dir("spawn");
    std::string driver = TestSupport::buildPath("tests/spawn/overlaydriver.exe");
    EXPECT_EQ(3, spawn(AFX_SPAWN_WAIT, {driver, dir.path() + "absent.exe"}));
}
