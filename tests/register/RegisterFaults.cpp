// Linked into the test build of the installer tool only. The add-in keys' writer
// raises std::bad_alloc on request, before it writes anything, as it would when
// memory runs out; the Outlook test of the sequence answers no on request, as it
// would if Outlook were removed between the Office lookup and that test. The Office
// lookup's own Outlook tests, made inside the registry writers' object, are not
// wrapped.
#include "InjectedFaults.h"

#include "common/TarnelAddRegistry.h"

extern "C" {

BOOL THISCALL __real__ZN17TarnelAddRegistry24IsOutlookOfficeInstalledE7CString(TarnelAddRegistry*, CString);
BOOL THISCALL __real__ZN17TarnelAddRegistry15AddOutlookInfosE7CString(TarnelAddRegistry*, CString);

BOOL THISCALL __wrap__ZN17TarnelAddRegistry24IsOutlookOfficeInstalledE7CString(TarnelAddRegistry* self,
                                                                               CString version)
{
    if (faultScripted("IsOutlookOfficeInstalled", version)) return FALSE;
    return __real__ZN17TarnelAddRegistry24IsOutlookOfficeInstalledE7CString(self, version);
}

// Scripted without its argument, the user's language, which the machine decides.
BOOL THISCALL __wrap__ZN17TarnelAddRegistry15AddOutlookInfosE7CString(TarnelAddRegistry* self, CString language)
{
    failWhenScripted("AddOutlookInfos");
    return __real__ZN17TarnelAddRegistry15AddOutlookInfosE7CString(self, language);
}

}  // extern "C"
