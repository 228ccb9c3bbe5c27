#include "useradmin/CTarnelDllUserAdminApp.h"

#include "afx/AfxSocket.h"

#include <cstdlib>

CTarnelDllUserAdminApp theApp;

namespace {

// The first size of the group list; a larger list is asked for again at the size
// that the token reports.
const DWORD kFirstGroupListSize = 1024;

// What the membership test holds, released on every way out.
struct AdministratorsSid {
    PSID sid = nullptr;
    ~AdministratorsSid()
    {
        if (sid) FreeSid(sid);
    }
};

struct TokenHandle {
    HANDLE handle = nullptr;
    ~TokenHandle()
    {
        if (handle) CloseHandle(handle);
    }
};

struct GroupList {
    void* block = nullptr;
    ~GroupList() { std::free(block); }
    bool allocate(DWORD size)
    {
        std::free(block);
        block = std::malloc(size);
        return block != nullptr;
    }
};

}  // namespace

CTarnelDllUserAdminApp::CTarnelDllUserAdminApp() : m_bUserIsAdmin(FALSE) {}

CTarnelDllUserAdminApp::~CTarnelDllUserAdminApp() {}

BOOL CTarnelDllUserAdminApp::InitInstance()
{
    if (!AfxSocketInit()) return FALSE;
    // The library has no COM class, so there is no class factory to register.
    return TRUE;
}

void CTarnelDllUserAdminApp::CheckAdminGroupMembership()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    AdministratorsSid administrators;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, &administrators.sid))
        return;

    TokenHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token.handle)) return;

    // The answer is taken from the call's result, not from the last-error code
    // alone: a successful call need not leave that code at 0. The query is repeated
    // only while the token asks for more room than the block has, so that it ends.
    GroupList groups;
    DWORD size = kFirstGroupListSize;
    for (;;) {
        if (!groups.allocate(size)) return;
        DWORD needed = 0;
        SetLastError(0);
        if (GetTokenInformation(token.handle, TokenGroups, groups.block, size, &needed)) break;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= size) return;
        size = needed;
    }

    // Every group counts, whatever its attributes: one held for deny only (an
    // administrator running without elevation) or not enabled as well.
    const TOKEN_GROUPS* list = static_cast<const TOKEN_GROUPS*>(groups.block);
    for (DWORD i = 0; i < list->GroupCount; ++i) {
        if (EqualSid(list->Groups[i].Sid, administrators.sid)) {
            m_bUserIsAdmin = TRUE;
            return;
        }
    }
}
