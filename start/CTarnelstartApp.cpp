#include "start/CTarnelstartApp.h"

#include "afx/AfxOle.h"
#include "afx/COleDispatchDriver.h"
#include "afx/Spawn.h"
#include "common/InstallationDirectory.h"
#include "common/RegistryValue.h"
#include "common/TarnelPolicyMgr.h"

CTarnelstartApp theApp;

namespace {

const char kPreferenceKey[] = "Software\\JavaSoft\\Prefs\\com\\quenby\\application\\tools";
const char kPreferenceValue[] = "start/On/Windows/Startup";
const char kTrayProgram[] = "tarneltray.exe";
const char kTrayWord[] = "windowsstart";
const char kOwnProgram[] = "tarnelstart.exe";
// Also the marker of the retry run: it is looked for in the whole command line.
const char kRetryWord[] = "restart";
const DWORD kRetryDelayMs = 12000;

// Starts the program with its path and the word as its whole command line, and
// ends this process with exit code 0 once it exists; returns only when it cannot.
void handOver(const CString& directory, const char* program, const char* word)
{
    CString path = directory + program;
    const char* const argv[] = {path, word, nullptr};
    AfxSpawn(AFX_SPAWN_OVERLAY, path, argv);
}

}  // namespace

int IsStartOnWindowsStartupEnabled()
{
    CString preference;
    if (!RegistryValue::readText(HKEY_CURRENT_USER, kPreferenceKey, kPreferenceValue, preference)) return 1;
    return preference.Find("true") >= 0 ? 1 : 0;
}

BOOL CTarnelstartApp::InitInstance()
{
    if (!AfxOleInit()) return FALSE;
    AfxEnableControlContainer();

    if (!IsStartOnWindowsStartupEnabled()) return FALSE;

    // Only whether the object can be created counts; nothing of it is called. It is
    // held until the hand-over has ended this process.
    COleDispatchDriver visualAction;
    BOOL created = visualAction.CreateDispatch("quenby.visualAction");
    // Read once, before any wait, for the tray and the retry alike.
    CString directory = TarnelPolicyMgr().getRuntimeLibDir();

    if (created) {
        if (IsAbsoluteDirectory(directory)) handOver(directory, kTrayProgram, kTrayWord);
        return TRUE;
    }

    // The Java side may not be up yet so soon after log-on: one more run, later. The
    // word in the retry's command line keeps it from retrying again; a program path
    // that holds it does the same.
    if (CString(GetCommandLineA()).Find(kRetryWord) < 0 && IsAbsoluteDirectory(directory)) {
        Sleep(kRetryDelayMs);
        handOver(directory, kOwnProgram, kRetryWord);
    }
    return FALSE;
}
