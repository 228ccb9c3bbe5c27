// The library's exports: the COM server entry points, which have no class to serve,
// and the administrator test.
#include "useradmin/CTarnelDllUserAdminApp.h"

#include "afx/AfxMessageBox.h"
#include "common/TarnelMessageMgr.h"

#include <objbase.h>

// The library holds no object and no class factory, so nothing keeps it loaded.
STDAPI DllCanUnloadNow() { return S_OK; }

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object)
{
    // A null out pointer is refused rather than written through.
    if (!object) return E_POINTER;
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

// There is no class factory, so there is nothing to write.
STDAPI DllRegisterServer() { return S_OK; }

// 0 when the user of this process belongs to the Administrators group; else -1,
// after a box in the user's language has been shown and closed.
extern "C" int __cdecl detectUserAdmin()
{
    theApp.CheckAdminGroupMembership();
    if (theApp.m_bUserIsAdmin) return 0;
    // Nothing unwinds into the caller, which need not be C++ at all.
    try {
        AfxMessageBox(TarnelMessageMgr().getMessage("ADMIN_PRIVILIGE_REQUIRED"), MB_OK | MB_ICONERROR);
    } catch (...) {
    }
    return -1;
}
