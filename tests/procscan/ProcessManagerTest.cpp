#include "common/ProcessManager.h"

#include "SleeperProcess.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <vector>

namespace {

const DWORD kExitWaitMs = 5000;

std::string ownImageName()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string image(path);
    return image.substr(image.find_last_of("\\/") + 1);
}

TEST(ProcessManager, MatchesLowerCasedImageNamesByContainment)
{
    SleeperProcess old("OldTarnelTray.EXE");
    SleeperProcess tray("tray.exe");
    ASSERT_TRUE(old.started()) << old.error();
    ASSERT_TRUE(tray.started()) << tray.error();

    struct Case { const char* sought; int count; };
    const Case cases[] = {
        {"tarneltray.exe", 1},     // OldTarnelTray.EXE contains it; tray.exe does not
        {"TARNELTRAY.EXE", 1},     // the name sought is lower-cased too
        {"oldTarnelTRAY.exe", 1},
        {"tray.exe", 2},           // both contain it
        {"oldtarneltray.exe ", 0}, // a trailing blank is part of the name
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.count, ProcessManager().countProcess(c.sought)) << c.sought;
        EXPECT_EQ(c.count > 0, ProcessManager().isProcessRunning(c.sought)) << c.sought;
    }
}

TEST(ProcessManager, CountsTheCallingProcess)
{
    const std::string self = ownImageName();
    EXPECT_EQ(1, ProcessManager().countProcess(self.c_str())) << self;

    // A second process of the same image name, in another folder: the caller and it.
    SleeperProcess other(self);
    ASSERT_TRUE(other.started()) << other.error();
    EXPECT_EQ(2, ProcessManager().countProcess(self.c_str())) << self;
    CString upper(self.c_str());
    EXPECT_EQ(2, ProcessManager().countProcess(upper.MakeUpper()));
}

TEST(ProcessManager, KillEndsOneMatchingProcessPerCallInSnapshotOrder)
{
    SleeperProcess plain("pskill.exe");
    SleeperProcess old("OldPsKill.EXE");
    ASSERT_TRUE(plain.started()) << plain.error();
    ASSERT_TRUE(old.started()) << old.error();
    std::vector<DWORD> order = inSnapshotOrder({plain.pid(), old.pid()});
    ASSERT_EQ(2u, order.size());
    const SleeperProcess& first = order[0] == plain.pid() ? plain : old;
    const SleeperProcess& second = order[0] == plain.pid() ? old : plain;

    EXPECT_TRUE(ProcessManager().killProcess("PsKill.exe"));
    EXPECT_TRUE(first.waitForExit(kExitWaitMs));
    EXPECT_EQ(0u, first.exitCode());
    EXPECT_TRUE(second.isRunning()) << "one call ends one process";

    EXPECT_TRUE(ProcessManager().killProcess("pskill.exe"));
    EXPECT_TRUE(second.waitForExit(kExitWaitMs));
    EXPECT_EQ(0u, second.exitCode());

    EXPECT_FALSE(ProcessManager().killProcess("pskill.exe"));
}

// Windows keeps a process of another user from being opened for termination; Wine
// runs every process as one user, but it does check a process's own DACL, so the
// guarded sleeper is started with one that grants everything but PROCESS_TERMINATE.
TEST(ProcessManager, KillPassesOverAProcessItMayNotEnd)
{
    SleeperProcess guarded("psguard.exe", SleeperProcess::kDefaultMs, SleeperAccess::NotTerminable);
    ASSERT_TRUE(guarded.started()) << guarded.error();
    SleeperProcess plain("psguard.exe");
    ASSERT_TRUE(plain.started()) << plain.error();
    HANDLE denied = OpenProcess(PROCESS_TERMINATE, FALSE, guarded.pid());
    ASSERT_EQ(nullptr, denied) << "the guarded sleeper can be opened for termination";
    ASSERT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    // The guarded one is met first, so the call has to go on past it.
    ASSERT_EQ(guarded.pid(), inSnapshotOrder({guarded.pid(), plain.pid()}).at(0));

    EXPECT_TRUE(ProcessManager().killProcess("psguard.exe"));
    EXPECT_TRUE(plain.waitForExit(kExitWaitMs));
    EXPECT_FALSE(ProcessManager().killProcess("psguard.exe")) << "only the guarded one is left";
    EXPECT_TRUE(guarded.isRunning());
    EXPECT_EQ(1, ProcessManager().countProcess("psguard.exe"));
}

TEST(ProcessManager, NothingMatching)
{
    SleeperProcess bystander("psbystander.exe");
    ASSERT_TRUE(bystander.started()) << bystander.error();

    EXPECT_EQ(0, ProcessManager().countProcess("psnothing.exe"));
    EXPECT_FALSE(ProcessManager().isProcessRunning("psnothing.exe"));
    EXPECT_FALSE(ProcessManager().killProcess("psnothing.exe"));
    // The empty name is contained in every image name, yet ends nothing.
    EXPECT_FALSE(ProcessManager().killProcess(""));
    EXPECT_TRUE(bystander.isRunning());
}

}  // namespace

// Later tests lean on the fixture ending by itself (an Outlook that is closed).
TEST(Sleeper, EndsByItselfAfterTheGivenTimeWithExitCodeZero)
{
    SleeperProcess brief("psbrief.exe", 200);
    ASSERT_TRUE(brief.started()) << brief.error();
    EXPECT_TRUE(brief.isRunning());
    EXPECT_TRUE(brief.waitForExit(kExitWaitMs));
    EXPECT_EQ(0u, brief.exitCode());
}
