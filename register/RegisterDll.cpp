#include "register/RegisterDll.h"

#include "afx/AfxMessageBox.h"
#include "afx/Spawn.h"
#include "common/TarnelErrorMgr.h"

#include <cerrno>
#include <cstdlib>

namespace {

// The tool in the system directory, by its full path. Without SystemRoot the tool
// is never looked for along PATH or under the current drive's root: the installer
// runs elevated, and a regsvr32.exe planted in a folder anyone may write would run
// as administrator. The spawn call finds this path as it stands: it begins with a
// drive, so no PATH folder put in front of it can name a file. Empty when the system
// directory cannot be had, so that nothing is started.
CString systemDirectoryTool()
{
    char directory[MAX_PATH];
    UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return CString();
    return CString(directory) + "\\regsvr32.exe";
}

}  // namespace

int RegisterDll::Regsvr32(CString library)
{
    // A 32-bit process asking for system32 gets the 32-bit tool on 64-bit Windows,
    // which is the one that can load a 32-bit add-in.
    const char* systemRoot = std::getenv("SystemRoot");
    CString tool = systemRoot ? CString(systemRoot) + "\\system32\\regsvr32.exe" : systemDirectoryTool();
    const char* const arguments[] = {tool, library, "/s", nullptr};

    // A start that succeeds leaves errno alone: cleared first, a tool that ran and
    // failed is never given the reason of some earlier, unrelated failure.
    errno = 0;
    int result = AfxSpawn(AFX_SPAWN_WAIT, tool, arguments);
    int startError = errno;
    if (result != 0)
        AfxMessageBox("Quenby Install Failure: Impossible to launch " + tool + " " + library + "\n" + "Reason: " +
                      TarnelErrorMgr().formatSpawnError(startError));
    return result;
}
