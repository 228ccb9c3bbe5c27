#include "explorer/CTarnelexplorerApp.h"

#include "afx/AfxMessageBox.h"
#include "afx/AfxOle.h"
#include "common/JavaHandOver.h"
#include "common/TarnelAddRegistry.h"

CTarnelexplorerApp theApp;

BOOL CTarnelexplorerApp::InitInstance()
{
    if (!AfxOleInit()) return FALSE;
    AfxEnableControlContainer();

    // The line is passed on whole: program path, words and names, the debug word too.
    CString commandLine(GetCommandLineA());
    bool debug = commandLine.Find("debug:true") >= 0;

    if (debug) AfxMessageBox("Before quenbyAddRegistry.TestTarnelInstall()");
    TarnelAddRegistry quenbyAddRegistry;
    if (!quenbyAddRegistry.TestTarnelInstall()) return FALSE;

    return JavaHandOver().run(commandLine, debug, false);
}
