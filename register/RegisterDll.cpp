#include "register/RegisterDll.h"

#include "afx/AfxMessageBox.h"
#include "afx/Spawn.h"
#include "common/TarnelErrorMgr.h"

#include <cerrno>
#include <cstdlib>

int RegisterDll::Regsvr32(CString library)
{
    // A 32-bit process asking for system32 gets the 32-bit tool on 64-bit Windows,
    // which is the one that can load a 32-bit add-in.
    CString tool = CString(std::getenv("SystemRoot")) + "\\system32\\regsvr32.exe";
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
