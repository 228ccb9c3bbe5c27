// The library's calls for the membership test, routed through the test while it
// lives: each call is recorded and passed on to the system, unless an answer has
// been staged for it. Wine's token always holds the Administrators group, so a user
// outside the group, a token that cannot be opened and a failing group query can
// only be shown this way; memory running out for the group list, likewise.
#pragma once

#include "ImportReplacement.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class StagedSecurityCalls {
public:
    explicit StagedSecurityCalls(HMODULE library);
    ~StagedSecurityCalls();
    StagedSecurityCalls(const StagedSecurityCalls&) = delete;
    StagedSecurityCalls& operator=(const StagedSecurityCalls&) = delete;

    // Whether every call is routed through the test.
    bool installed() const;

    // Staged answers.
    bool sidFails = false;            // AllocateAndInitializeSid fails
    bool openFails = false;           // OpenProcessToken fails, access denied
    DWORD queryError = 0;             // GetTokenInformation fails with this error
    DWORD reportedSize = 0;           //   and reports this size
    bool stageGroups = false;         // the token's groups are groupSids instead
    std::vector<std::string> groupSids;
    DWORD lastErrorAfterSuccess = 0;  // left behind by a query that succeeds
    // The library's C run-time malloc fails for the first request of this many bytes
    // (0: none fails); every other request is the run-time's own.
    size_t failedAllocationSize = 0;

    // What the library asked.
    struct Open {
        HANDLE process;
        DWORD access;
    };
    std::vector<Open> opens;
    std::vector<DWORD> querySizes;  // the buffer size of each TokenGroups query
    int sidsBuilt = 0;
    int sidsFreed = 0;
    bool allocationFailed = false;
    // The blocks of a group list's size (1024 bytes, a size a group query reported,
    // failedAllocationSize) that the library holds: malloc'd and not yet freed.
    std::set<void*> listBlocksHeld;
    std::set<size_t> reportedSizes;

    // "S-1-5-21-1-2-3-<1000 + i>" for i below count: ordinary groups, 36 bytes each
    // in the list.
    static std::vector<std::string> ordinaryGroups(int count);

private:
    std::vector<std::unique_ptr<ImportReplacement>> m_replacements;
};

// The Administrators group, S-1-5-32-544, and the Users group.
extern const char kAdministratorsSid[];
extern const char kUsersSid[];
