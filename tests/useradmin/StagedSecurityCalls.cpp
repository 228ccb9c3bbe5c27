#include "StagedSecurityCalls.h"

#include <sddl.h>

#include <cerrno>
#include <cstring>

const char kAdministratorsSid[] = "S-1-5-32-544";
const char kUsersSid[] = "S-1-5-32-545";

namespace {

StagedSecurityCalls* stage = nullptr;

// A group list laid out as the system returns it: the count, the entries, then the
// SIDs they point to.
BOOL answerGroups(void* buffer, DWORD size, DWORD* needed)
{
    std::vector<PSID> sids;
    DWORD total = offsetof(TOKEN_GROUPS, Groups) + stage->groupSids.size() * sizeof(SID_AND_ATTRIBUTES);
    for (const std::string& text : stage->groupSids) {
        PSID sid = nullptr;
        ConvertStringSidToSidA(text.c_str(), &sid);
        sids.push_back(sid);
        total += GetLengthSid(sid);
    }
    *needed = total;
    BOOL fits = size >= total;
    if (fits) {
        TOKEN_GROUPS* list = static_cast<TOKEN_GROUPS*>(buffer);
        list->GroupCount = sids.size();
        BYTE* next = reinterpret_cast<BYTE*>(&list->Groups[sids.size()]);
        for (size_t i = 0; i < sids.size(); ++i) {
            DWORD length = GetLengthSid(sids[i]);
            CopySid(length, next, sids[i]);
            list->Groups[i].Sid = next;
            list->Groups[i].Attributes = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
            next += length;
        }
    }
    for (PSID sid : sids) LocalFree(sid);
    SetLastError(fits ? stage->lastErrorAfterSuccess : ERROR_INSUFFICIENT_BUFFER);
    return fits;
}

// Leaves the query's last-error code as it was.
void noteReported(DWORD size)
{
    DWORD error = GetLastError();
    stage->reportedSizes.insert(size);
    SetLastError(error);
}

BOOL WINAPI stagedAllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD a0, DWORD a1,
                                           DWORD a2, DWORD a3, DWORD a4, DWORD a5, DWORD a6, DWORD a7, PSID* sid)
{
    if (stage->sidFails) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    BOOL built = AllocateAndInitializeSid(authority, count, a0, a1, a2, a3, a4, a5, a6, a7, sid);
    if (built) ++stage->sidsBuilt;
    return built;
}

PVOID WINAPI stagedFreeSid(PSID sid)
{
    ++stage->sidsFreed;
    return FreeSid(sid);
}

BOOL WINAPI stagedOpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    stage->opens.push_back({process, access});
    if (stage->openFails) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return OpenProcessToken(process, access, token);
}

BOOL WINAPI stagedGetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID buffer, DWORD size,
                                      PDWORD needed)
{
    if (kind == TokenGroups) stage->querySizes.push_back(size);
    if (kind == TokenGroups && stage->queryError) {
        *needed = stage->reportedSize;
        SetLastError(stage->queryError);
        return FALSE;
    }
    if (kind == TokenGroups && stage->stageGroups) {
        BOOL answered = answerGroups(buffer, size, needed);
        noteReported(*needed);
        return answered;
    }
    BOOL answered = GetTokenInformation(token, kind, buffer, size, needed);
    if (kind == TokenGroups) noteReported(*needed);
    if (answered && kind == TokenGroups && stage->lastErrorAfterSuccess) SetLastError(stage->lastErrorAfterSuccess);
    return answered;
}

// The run-time the library imports its allocation from, so that blocks go to and
// come from the library's own heap.
void* (*const runtimeMalloc)(size_t) =
    reinterpret_cast<void* (*)(size_t)>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "malloc"));
void (*const runtimeFree)(void*) =
    reinterpret_cast<void (*)(void*)>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "free"));

bool isListSize(size_t size)
{
    return size == 1024 || size == stage->failedAllocationSize || stage->reportedSizes.count(size);
}

void* __cdecl stagedMalloc(size_t size)
{
    if (!stage->allocationFailed && stage->failedAllocationSize && size == stage->failedAllocationSize) {
        stage->allocationFailed = true;
        errno = ENOMEM;
        return nullptr;
    }
    void* block = runtimeMalloc(size);
    DWORD error = GetLastError();
    if (block && isListSize(size)) stage->listBlocksHeld.insert(block);
    SetLastError(error);
    return block;
}

void __cdecl stagedFree(void* block)
{
    DWORD error = GetLastError();
    stage->listBlocksHeld.erase(block);
    SetLastError(error);
    runtimeFree(block);
}

}  // namespace

StagedSecurityCalls::StagedSecurityCalls(HMODULE library)
{
    stage = this;
    const struct {
        const char* name;
        const void* replacement;
    } calls[] = {
        {"AllocateAndInitializeSid", reinterpret_cast<const void*>(stagedAllocateAndInitializeSid)},
        {"FreeSid", reinterpret_cast<const void*>(stagedFreeSid)},
        {"OpenProcessToken", reinterpret_cast<const void*>(stagedOpenProcessToken)},
        {"GetTokenInformation", reinterpret_cast<const void*>(stagedGetTokenInformation)},
    };
    for (const auto& call : calls)
        m_replacements.emplace_back(new ImportReplacement(library, "advapi32.dll", call.name, call.replacement));
    m_replacements.emplace_back(
        new ImportReplacement(library, "msvcrt.dll", "malloc", reinterpret_cast<const void*>(stagedMalloc)));
    m_replacements.emplace_back(
        new ImportReplacement(library, "msvcrt.dll", "free", reinterpret_cast<const void*>(stagedFree)));
}

StagedSecurityCalls::~StagedSecurityCalls()
{
    m_replacements.clear();
    stage = nullptr;
}

bool StagedSecurityCalls::installed() const
{
    for (const auto& replacement : m_replacements)
        if (!replacement->found()) return false;
    return true;
}

std::vector<std::string> StagedSecurityCalls::ordinaryGroups(int count)
{
    std::vector<std::string> groups;
    for (int i = 0; i < count; ++i) groups.push_back("S-1-5-21-1-2-3-" + std::to_string(1000 + i));
    return groups;
}
