#include "common/ProcessManager.h"

#include <tlhelp32.h>

namespace {

// The ANSI record, as the snapshot functions of kernel32 read it.
static_assert(sizeof(PROCESSENTRY32) == 296, "ANSI PROCESSENTRY32 expected");

// Visits every process of a new snapshot, in snapshot order, whose lower-cased image
// name contains the lower-cased name; stops early when visit returns true, and
// returns whether it did. A snapshot that cannot be taken visits nothing.
template <typename Visit>
bool visitMatches(CString name, Visit visit)
{
    name.MakeLower();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;

    bool stopped = false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more && !stopped;
         more = Process32Next(snapshot, &entry)) {
        CString image(entry.szExeFile);
        if (image.MakeLower().Find(name) >= 0) stopped = visit(entry);
    }
    CloseHandle(snapshot);
    return stopped;
}

}  // namespace

int ProcessManager::countProcess(CString name)
{
    int count = 0;
    visitMatches(name, [&count](const PROCESSENTRY32&) { ++count; return false; });
    return count;
}

bool ProcessManager::isProcessRunning(CString name)
{
    return visitMatches(name, [](const PROCESSENTRY32&) { return true; });
}

bool ProcessManager::killProcess(CString name)
{
    // The empty name is contained in every image name: it would end whichever
    // process comes first, perhaps a system one or the caller itself.
    if (name.IsEmpty()) return false;
    return visitMatches(name, [](const PROCESSENTRY32& entry) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (!process) return false;  // another user's, or already gone: try the next
        bool ended = TerminateProcess(process, 0) != FALSE;
        CloseHandle(process);
        return ended;
    });
}
