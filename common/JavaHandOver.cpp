#include "common/JavaHandOver.h"

#include "afx/AfxMessageBox.h"
#include "common/QuenbyTrayDriver.h"
#include "common/TarnelMessageMgr.h"
#include "common/VisualActionDriver.h"

namespace {

void showLoadingError(UINT icon) { AfxMessageBox(TarnelMessageMgr().getMessage("ERROR_LOADING_TARNEL_DLL"), MB_OK | icon); }

}  // namespace

BOOL JavaHandOver::run(const CString& commandLine, bool debug, bool echoCommandLine)
{
    VisualActionDriver visualAction;
    QuenbyTrayDriver quenbyTray;
    bool launching = false;
    try {
        if (debug) AfxMessageBox("Before isualAction.CreateDispatch()");
        if (!visualAction.CreateDispatch(VisualActionDriver::kProgId)) {
            showLoadingError(MB_ICONEXCLAMATION);
            return FALSE;
        }
        if (!visualAction.invokeMethod7()) visualAction.invokeMethod11(visualAction.invokeMethod9(), FALSE);

        if (debug) AfxMessageBox("Before quenbyTray.CreateDispatch()");
        if (!quenbyTray.CreateDispatch(QuenbyTrayDriver::kProgId)) {
            showLoadingError(MB_ICONERROR);
            visualAction.ReleaseDispatch();
            return FALSE;
        }
        if (debug) {
            AfxMessageBox("Before quenbyTray.launch()");
            if (echoCommandLine) AfxMessageBox(commandLine);
        }
        launching = true;
        quenbyTray.launch(commandLine);
    } catch (CException* rejected) {
        rejected->Delete();
        quenbyTray.ReleaseDispatch();
        visualAction.ReleaseDispatch();
        if (!launching) showLoadingError(MB_ICONEXCLAMATION);
        return FALSE;
    }
    quenbyTray.ReleaseDispatch();
    visualAction.ReleaseDispatch();
    return TRUE;
}
