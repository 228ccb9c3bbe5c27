// The library frame: in a DLL that defines an application object, its InitInstance
// runs while the library is being loaded, and FALSE makes the load fail. Programs
// never link this file: only a DLL's start-up code asks for DllMain.
#include "afx/CWinApp.h"

namespace {

// Whether InitInstance succeeded, so that ExitInstance only follows a start that
// went through (a failed start cleans up after itself).
bool applicationStarted = false;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    CWinApp* app = AfxGetApp();
    if (!app) return TRUE;
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        applicationStarted = app->InitInstance() != FALSE;
        return applicationStarted ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
        // The start-up code also calls here after a failed attach.
        if (applicationStarted) app->ExitInstance();
        applicationStarted = false;
        return TRUE;
    default:
        return TRUE;
    }
}
