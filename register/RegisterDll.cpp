#include "register/RegisterDll.h"

#include "afx/AfxMessageBox.h"
#include "afx/Spawn.h"
#include "common/TarnelErrorMgr.h"

#include <cerrno>

namespace {

// The tool in the system directory, by its full path, and never from SystemRoot: an
// elevated installer takes its user's environment, which the user may set without
// elevation, so that a SystemRoot naming a folder of theirs (or an empty one, the
// current drive's root) would run their regsvr32.exe as administrator. On every stock
// Windows the system directory is SystemRoot's system32. A path that begins with a
// drive is tried as it stands, never along PATH. Empty when the system directory
// cannot be had, so that nothing is started. A 32-bit process asking for it gets the
// 32-bit tool on 64-bit Windows, which is the one that can load a 32-bit add-in.
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
    CString tool = systemDirectoryTool();
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
