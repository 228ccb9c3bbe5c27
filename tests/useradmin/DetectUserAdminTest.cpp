// detectUserAdmin in the test's own process, its boxes read by the watcher. The
// Administrators case runs on Wine's real token; the cases Wine's token cannot give
// run on staged answers to the library's own security calls (StagedSecurityCalls).
#include "HandleMark.h"
#include "MessageBoxWatcher.h"
#include "RegistryTestKey.h"
#include "StagedSecurityCalls.h"
#include "UserAdminLibrary.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Lines = std::vector<std::string>;

const std::string kEnglishBox =
    boxLine("TarnelDllUserAdmin", "Administrator privileges are required to install Tarnel.", "OK", "error");
const std::string kFrenchBox =
    boxLine("TarnelDllUserAdmin", "Vous devez \xEAtre Administrateur pour installer Tarnel", "OK", "error");

// Deep enough that the handles of the watcher's thread, opened and closed in between,
// leave the mark where it was.
HANDLE handleMark() { return TestSupport::handleMark(64); }

class DetectUserAdmin : public ::testing::Test {
protected:
    void SetUp() override
    {
        language.setText("/Quenby/Language", "en");
        // Once for what the system opens once per process and keeps (the user's
        // registry key, the first box's resources), then afresh for the case.
        load();
        stageOutsideTheGroup();
        detect();
        load();
    }

    void load()
    {
        // Unloaded first, so that the new load starts the library afresh.
        staged.reset();
        library.reset();
        library.reset(new UserAdminLibrary);
        ASSERT_NE(nullptr, library->module()) << "LoadLibrary error " << GetLastError();
        staged.reset(new StagedSecurityCalls(library->module()));
        ASSERT_TRUE(staged->installed());
    }

    // The library is unloaded before the language value is put back.
    void TearDown() override
    {
        staged.reset();
        library.reset();
    }

    // Calls detectUserAdmin `calls` times, answering each box with OK; returns the
    // results and sets `boxes`, and `handlesLeft` when the calls left a handle open.
    std::vector<int> detect(int calls = 1)
    {
        HANDLE before = handleMark();
        std::vector<int> results;
        {
            MessageBoxWatcher watcher(GetCurrentProcessId(), Lines(calls, "OK"));
            for (int i = 0; i < calls; ++i) results.push_back(library->detectUserAdmin());
            boxes = watcher.stop();
        }
        handlesLeft = handleMark() != before;
        return results;
    }

    void stageOutsideTheGroup()
    {
        staged->stageGroups = true;
        staged->groupSids = StagedSecurityCalls::ordinaryGroups(5);
        staged->groupSids.push_back(kUsersSid);
    }

    RegistryTestKey language{HKEY_CURRENT_USER, "Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg"};
    std::unique_ptr<UserAdminLibrary> library;
    std::unique_ptr<StagedSecurityCalls> staged;
    Lines boxes;
    bool handlesLeft = false;
};

// Wine's process token holds the Administrators group; each call tests it afresh on
// the process token, opened for query only, and leaves no handle and no SID behind.
TEST_F(DetectUserAdmin, AdministratorIsAnsweredZeroOnEveryCallWithoutABox)
{
    EXPECT_EQ(std::vector<int>({0, 0, 0}), detect(3));
    EXPECT_EQ(Lines(), boxes);
    ASSERT_EQ(3u, staged->opens.size());
    for (const auto& open : staged->opens) {
        EXPECT_EQ(GetCurrentProcess(), open.process);
        EXPECT_EQ(DWORD(TOKEN_QUERY), open.access);
    }
    EXPECT_EQ(std::vector<DWORD>({1024, 1024, 1024}), staged->querySizes);
    EXPECT_FALSE(handlesLeft);
    EXPECT_EQ(staged->sidsBuilt, staged->sidsFreed);
}

TEST_F(DetectUserAdmin, UserOutsideTheGroupGetsTheBoxOnEachCall)
{
    stageOutsideTheGroup();
    EXPECT_EQ(std::vector<int>({-1, -1}), detect(2));
    EXPECT_EQ(Lines({kEnglishBox, kEnglishBox}), boxes);
    EXPECT_EQ(2u, staged->opens.size());
}

TEST_F(DetectUserAdmin, FrenchUserGetsTheFrenchText)
{
    language.setText("/Quenby/Language", "fr");
    stageOutsideTheGroup();
    EXPECT_EQ(std::vector<int>({-1}), detect());
    EXPECT_EQ(Lines({kFrenchBox}), boxes);
}

// Once the group has been found, later calls still run the test but answer 0 even
// when the group is no longer found; a fresh load starts from 0 again.
TEST_F(DetectUserAdmin, FoundGroupIsRememberedUntilTheLibraryIsUnloaded)
{
    EXPECT_EQ(std::vector<int>({0}), detect());
    stageOutsideTheGroup();
    EXPECT_EQ(std::vector<int>({0, 0}), detect(2));
    EXPECT_EQ(Lines(), boxes);
    EXPECT_EQ(3u, staged->opens.size());

    load();
    stageOutsideTheGroup();
    EXPECT_EQ(std::vector<int>({-1}), detect());
    EXPECT_EQ(Lines({kEnglishBox}), boxes);
}

// 100 ordinary groups take 3604 bytes of list, more than the first 1024: the query
// is repeated once, with exactly the size the token reported, and the answer is the
// one a large enough buffer gives.
TEST_F(DetectUserAdmin, GroupListLargerThanTheFirstBufferIsAskedForAgain)
{
    const DWORD listSize = 4 + 100 * 36;
    const DWORD withAdministrators = listSize + 8 + 16;
    struct Case {
        bool administrators;
        int result;
        DWORD secondSize;
        Lines boxes;
    };
    const Case cases[] = {
        {true, 0, withAdministrators, {}},
        {false, -1, listSize, {kEnglishBox}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.administrators ? "Administrators last of 101" : "100 groups, no Administrators");
        load();
        staged->stageGroups = true;
        staged->groupSids = StagedSecurityCalls::ordinaryGroups(100);
        if (c.administrators) staged->groupSids.push_back(kAdministratorsSid);
        EXPECT_EQ(std::vector<int>({c.result}), detect());
        EXPECT_EQ(c.boxes, boxes);
        EXPECT_EQ(std::vector<DWORD>({1024, c.secondSize}), staged->querySizes);
        EXPECT_FALSE(handlesLeft);
        EXPECT_TRUE(staged->listBlocksHeld.empty());
    }
}

// Every way the test can fail ends in the box and -1, with the token handle closed,
// the SID and the group list freed. Two rows guard against a query that would never end: a token
// that keeps asking for no more room than it was given, and a successful query
// that leaves a last-error code behind.
TEST_F(DetectUserAdmin, EveryFailureOfTheTestShowsTheBoxAndLeavesNothingOpen)
{
    struct Case {
        const char* what;
        void (*stageIt)(StagedSecurityCalls&);
        int result;
        size_t opens;
        std::vector<DWORD> querySizes;
    };
    const Case cases[] = {
        {"the SID cannot be built", [](StagedSecurityCalls& s) { s.sidFails = true; }, -1, 0, {}},
        {"the token cannot be opened", [](StagedSecurityCalls& s) { s.openFails = true; }, -1, 1, {}},
        {"the query is refused",
         [](StagedSecurityCalls& s) { s.queryError = ERROR_ACCESS_DENIED; }, -1, 1, {1024}},
        {"the query fails otherwise",
         [](StagedSecurityCalls& s) { s.queryError = ERROR_INVALID_PARAMETER; }, -1, 1, {1024}},
        {"too small, yet no more room asked for",
         [](StagedSecurityCalls& s) {
             s.queryError = ERROR_INSUFFICIENT_BUFFER;
             s.reportedSize = 1024;
         },
         -1, 1, {1024}},
        {"success with a last-error code left behind",
         [](StagedSecurityCalls& s) { s.lastErrorAfterSuccess = ERROR_IO_PENDING; }, 0, 1, {1024}},
        {"no memory for the first group list", [](StagedSecurityCalls& s) { s.failedAllocationSize = 1024; }, -1, 1,
         {}},
        // The first block is freed before the larger one is asked for. The list holds
        // the group, so only the failure can make the answer -1.
        {"no memory for the larger group list",
         [](StagedSecurityCalls& s) {
             s.stageGroups = true;
             s.groupSids = StagedSecurityCalls::ordinaryGroups(100);
             s.groupSids.push_back(kAdministratorsSid);
             s.failedAllocationSize = 4 + 100 * 36 + 8 + 16;
         },
         -1, 1, {1024}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load();
        c.stageIt(*staged);
        EXPECT_EQ(std::vector<int>({c.result}), detect());
        EXPECT_EQ(c.result == 0 ? Lines() : Lines({kEnglishBox}), boxes);
        EXPECT_EQ(c.opens, staged->opens.size());
        EXPECT_EQ(c.querySizes, staged->querySizes);
        EXPECT_FALSE(handlesLeft);
        EXPECT_EQ(staged->sidsBuilt, staged->sidsFreed);
        EXPECT_EQ(staged->failedAllocationSize != 0, staged->allocationFailed);
        EXPECT_TRUE(staged->listBlocksHeld.empty());
    }
}

}  // namespace
