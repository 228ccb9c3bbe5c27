// The COM module of one extension DLL: its object map of one class, the application
// object that starts and ends the module with the library, and the four exports.
// ShellExtIdentity.h is generated per DLL from the table in CMakeLists.txt.
#include "ShellExtIdentity.h"
#include "afx/ComGuard.h"
#include "afx/ComModule.h"
#include "shellext/QuenbyShlApp.h"
#include "shellext/ShellExtResources.h"

namespace {

const CLSID kClsid = SHELLEXT_CLSID;
const GUID kLibid = SHELLEXT_LIBID;

HRESULT createHandler(IUnknown* outer, REFIID iid, void** object)
{
    return QuenbyShlApp::CreateInstance(shellExtVariant(SHELLEXT_VARIANT), outer, iid, object);
}

AfxComClassEntry objectMap[] = {
    {&kClsid, IDR_QUENBYSHLAPP, createHandler, nullptr},
    {nullptr, 0, nullptr, nullptr},
};

// The library's application object: the module lives from attach to detach.
class CShellExtApp {
public:
    BOOL InitInstance(HINSTANCE instance)
    {
        AfxGetComModule().Init(objectMap, instance, &kLibid);
        return TRUE;
    }
    int ExitInstance()
    {
        AfxGetComModule().Term();
        return 0;
    }
};

CShellExtApp theApp;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        return theApp.InitInstance(instance);
    }
    if (reason == DLL_PROCESS_DETACH) theApp.ExitInstance();
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return AfxGetComModule().CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    return AfxComGuard([&] { return AfxGetComModule().GetClassObject(clsid, iid, object); });
}

STDAPI DllRegisterServer()
{
    return AfxComGuard([] { return AfxGetComModule().RegisterServer(); });
}

STDAPI DllUnregisterServer()
{
    AfxComGuard([] { return AfxGetComModule().UnregisterServer(); });
    return S_OK;
}
