#include "common/ProcessManager.h"

#include "HandleMark.h"
#include "ImportReplacement.h"
#include "SleeperProcess.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const DWORD kExitWaitMs = 5000;

// Deep enough to see a process handle left open in the slot above the snapshot's,
// which is opened before it and closed after it, leaving the lowest slot free again.
HANDLE handleMark() { return TestSupport::handleMark(8); }

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

// The process tool scans again and again while Outlook runs: no scan may leave its
// snapshot or a process it opened behind, on any path.
TEST(ProcessManager, ScansCloseTheSnapshotAndEveryProcessTheyOpen)
{
    SleeperProcess bystander("psclosed.exe");
    SleeperProcess guarded("psclosedguard.exe", SleeperProcess::kDefaultMs, SleeperAccess::NotTerminable);
    ASSERT_TRUE(bystander.started()) << bystander.error();
    ASSERT_TRUE(guarded.started()) << guarded.error();

    const std::vector<std::function<void()>> scans = {
        [] { ProcessManager().countProcess("psclosed.exe"); },
        [] { ProcessManager().isProcessRunning("psclosed.exe"); },   // stops at the match
        [] { ProcessManager().isProcessRunning("psnothing.exe"); },  // reads to the end
        [] { ProcessManager().killProcess("psnothing.exe"); },
        [] { ProcessManager().killProcess("psclosedguard.exe"); },   // cannot open it
    };
    // Once first, for whatever the system opens once per process.
    for (const auto& scan : scans) scan();
    for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < scans.size(); ++i) {
            HANDLE before = handleMark();
            scans[i]();
            ASSERT_EQ(before, handleMark()) << "scan " << i << " left a handle open";
        }
    }

    // Each of these opens the process it ends.
    for (int round = 0; round < 3; ++round) {
        SleeperProcess victim("psclosedvictim.exe");
        ASSERT_TRUE(victim.started()) << victim.error();
        HANDLE before = handleMark();
        EXPECT_TRUE(ProcessManager().killProcess("psclosedvictim.exe"));
        ASSERT_EQ(before, handleMark()) << "the ended process's handle is left open";
        EXPECT_TRUE(victim.waitForExit(kExitWaitMs));
    }
}

// What killProcess asks of each process it opens, seen through this program's own
// import of OpenProcess (the scan is linked in here). The recorder goes on to the
// real function by its address in kernel32, since its own call would pass through
// the swapped import again.
struct OpenRequest {
    DWORD access;
    BOOL inherit;
    DWORD pid;
    bool operator==(const OpenRequest& other) const
    {
        return access == other.access && inherit == other.inherit && pid == other.pid;
    }
};
std::vector<OpenRequest> openRequests;

HANDLE WINAPI recordedOpenProcess(DWORD access, BOOL inherit, DWORD pid)
{
    static const auto real = reinterpret_cast<decltype(&OpenProcess)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "OpenProcess")));
    openRequests.push_back({access, inherit, pid});
    return real(access, inherit, pid);
}

void PrintTo(const OpenRequest& request, std::ostream* out)
{
    *out << "{access 0x" << std::hex << request.access << std::dec << ", inherit " << request.inherit << ", pid "
         << request.pid << "}";
}

// The right to end it and nothing more, on a handle that no child could inherit.
TEST(ProcessManager, KillOpensEachProcessForTerminationOnly)
{
    SleeperProcess guarded("psaccess.exe", SleeperProcess::kDefaultMs, SleeperAccess::NotTerminable);
    ASSERT_TRUE(guarded.started()) << guarded.error();
    SleeperProcess plain("psaccess.exe");
    ASSERT_TRUE(plain.started()) << plain.error();
    ASSERT_EQ(guarded.pid(), inSnapshotOrder({guarded.pid(), plain.pid()}).at(0));

    openRequests.clear();
    {
        ImportReplacement recorder(GetModuleHandleA(nullptr), "kernel32.dll", "OpenProcess",
                                   reinterpret_cast<const void*>(recordedOpenProcess));
        ASSERT_TRUE(recorder.found());
        EXPECT_TRUE(ProcessManager().killProcess("psaccess.exe"));
    }
    EXPECT_TRUE(plain.waitForExit(kExitWaitMs));
    EXPECT_EQ(std::vector<OpenRequest>({{PROCESS_TERMINATE, FALSE, guarded.pid()},
                                        {PROCESS_TERMINATE, FALSE, plain.pid()}}),
              openRequests);
}

// A process that was opened for termination may still refuse to end: on Windows,
// one that is already ending answers access denied. Wine ends whatever it may open,
// so the refusal is staged through the import of TerminateProcess. The handle is
// closed all the same, and the scan goes on to the next match.
std::vector<HANDLE> refusedHandles;

BOOL WINAPI refusedTerminateProcess(HANDLE process, UINT)
{
    refusedHandles.push_back(process);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST(ProcessManager, KillClosesAProcessThatRefusesToEnd)
{
    SleeperProcess first("psrefuse.exe");
    SleeperProcess second("psrefuse.exe");
    ASSERT_TRUE(first.started()) << first.error();
    ASSERT_TRUE(second.started()) << second.error();
    ProcessManager().killProcess("psnothing.exe");   // whatever a first scan keeps for good

    refusedHandles.clear();
    HANDLE before = handleMark();
    {
        ImportReplacement refusal(GetModuleHandleA(nullptr), "kernel32.dll", "TerminateProcess",
                                  reinterpret_cast<const void*>(refusedTerminateProcess));
        ASSERT_TRUE(refusal.found());
        EXPECT_FALSE(ProcessManager().killProcess("psrefuse.exe"));
    }
    EXPECT_EQ(before, handleMark()) << "a process that refused to end is left open";
    ASSERT_EQ(2u, refusedHandles.size()) << "both matches are tried";
    for (HANDLE process : refusedHandles) {
        DWORD flags = 0;
        EXPECT_FALSE(GetHandleInformation(process, &flags)) << process << " is still open";
    }
    EXPECT_TRUE(first.isRunning());
    EXPECT_TRUE(second.isRunning());
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
