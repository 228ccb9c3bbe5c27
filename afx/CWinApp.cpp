#include "afx/CWinApp.h"

// The module (program or DLL) that this code is linked into.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const UINT kAppTitleString = 57344;
CWinApp* theApplication = nullptr;

HINSTANCE thisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

CString moduleBaseName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(thisModule(), path, MAX_PATH);
    CString name(path);
    name = name.Mid(name.ReverseFind('\\') + 1);
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

}  // namespace

CWinApp::CWinApp() { theApplication = this; }

CWinApp::~CWinApp()
{
    if (theApplication == this) theApplication = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

CWinApp* AfxGetApp() { return theApplication; }

CString AfxLoadString(UINT id)
{
    char text[4096];
    int length = LoadStringA(thisModule(), id, text, sizeof(text));
    return CString(text, length > 0 ? length : 0);
}

const char* AfxGetAppName()
{
    static const CString title = [] {
        CString fromResource = AfxLoadString(kAppTitleString);
        return fromResource.IsEmpty() ? moduleBaseName() : fromResource;
    }();
    return title;
}

// WinMain lives beside the application object, so every program that defines one
// gets the frame without naming it. What InitInstance returns only decides how the
// program would go on; there is no main window, so it ends here either way.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (CWinApp* app = AfxGetApp()) {
        app->InitInstance();
        app->ExitInstance();
    }
    return 0;
}
