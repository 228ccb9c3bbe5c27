#include "process/CTarnelProcessApp.h"

#include "afx/AfxMessageBox.h"
#include "afx/AfxOle.h"
#include "common/ProcessManager.h"
#include "common/TarnelMessageMgr.h"

CTarnelProcessApp theApp;

namespace {

const BOOL kUserGaveUp = -1;

// Ends the first running process of that image name that can be ended, and does not
// wait for it to disappear. Whether one was found does not matter: the installation
// goes on either way, after a warning when the process scan itself failed.
void endFirstProcess(const char* imageName, const char* warning)
{
    try {
        ProcessManager().killProcess(imageName);
    } catch (...) {
        AfxMessageBox(warning);
    }
}

// A scan that fails counts as Outlook not running, so that the installation goes on.
bool isOutlookRunning()
{
    try {
        return ProcessManager().isProcessRunning("outlook.exe");
    } catch (...) {
        AfxMessageBox("Warning: Unable to test if process OUTLOOK.EXE exists. Installation will continue.");
        return false;
    }
}

// Asks the user to quit Outlook for as long as it runs. The prompt is looked up
// once, so a language changed meanwhile does not change it. Each Retry tests again
// at once: the wait between two tests is the user's.
BOOL waitForOutlookToQuit()
{
    TarnelMessageMgr messageMgr;
    const CString prompt = messageMgr.getMessage("PLEASE_QUIT_OUTLOOK");
    while (isOutlookRunning()) {
        Beep(500, 100);
        if (AfxMessageBox(prompt, MB_RETRYCANCEL) != IDRETRY) return kUserGaveUp;
    }
    return 0;
}

}  // namespace

CTarnelProcessApp::~CTarnelProcessApp() {}

BOOL CTarnelProcessApp::InitInstance()
{
    if (!AfxOleInit()) return FALSE;
    AfxEnableControlContainer();

    endFirstProcess("tarneltray.exe", "Warning: Unable to kill tarneltray.exe. Installation will continue.");
    endFirstProcess("tarnelserv.exe", "Warning: Unable to kill tarnelserv.exe. Installation will continue.");
    try {
        return waitForOutlookToQuit();
    } catch (...) {
        AfxMessageBox("Unknown Installation Failure at: CTarnelProcessApp::InitInstance()");
        return kUserGaveUp;
    }
}
