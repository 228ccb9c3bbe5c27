#include "tray/CTarneltrayApp.h"

#include "afx/AfxMessageBox.h"
#include "afx/AfxOle.h"
#include "common/JavaHandOver.h"
#include "common/ProcessManager.h"
#include "common/TarnelAddRegistry.h"
#include "common/TarnelMessageMgr.h"

CTarneltrayApp theApp;

BOOL CTarneltrayApp::InitInstance()
{
    if (!AfxOleInit()) return FALSE;
    AfxEnableControlContainer();

    // The words are looked for, case-sensitively, in the whole line as the system
    // gives it, program path included, and the line is passed on unchanged.
    CString commandLine(GetCommandLineA());
    bool debug = commandLine.Find("debug:true") >= 0;
    if (debug) AfxMessageBox(commandLine);

    if (debug) AfxMessageBox("Before processManager.countProcess()");
    ProcessManager processManager;
    int trays = processManager.countProcess("tarneltray.exe");  // this process included

    // The test runs whether or not another tray runs: a start at log-on still brings
    // the policy jars up to date before it gives way to the running tray.
    if (debug) AfxMessageBox("Before quenbyAddRegistry.TestTarnelInstall()");
    TarnelAddRegistry quenbyAddRegistry;
    if (!quenbyAddRegistry.TestTarnelInstall()) return FALSE;

    if (trays >= 2) {
        if (commandLine.Find("windowsstart") >= 0) return FALSE;
        if (commandLine.Find(" file_to_decrypt ") < 0) {
            AfxMessageBox(TarnelMessageMgr().getMessage("TARNEL_IS_ALREADY_RUNNING"), MB_OK | MB_ICONEXCLAMATION);
            return FALSE;
        }
    }

    return JavaHandOver().run(commandLine, debug, true);
}
