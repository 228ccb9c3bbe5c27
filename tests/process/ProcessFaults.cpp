// Linked into the test build of the process tool only: the process scan and the
// message catalogue raise std::bad_alloc on request, as they would when memory runs
// out.
#include "InjectedFaults.h"

#include "common/ProcessManager.h"
#include "common/TarnelMessageMgr.h"

extern "C" {

bool THISCALL __real__ZN14ProcessManager11killProcessE7CString(ProcessManager*, CString);
bool THISCALL __real__ZN14ProcessManager16isProcessRunningE7CString(ProcessManager*, CString);
CString THISCALL __real__ZN16TarnelMessageMgr10getMessageE7CString(TarnelMessageMgr*, CString);

bool THISCALL __wrap__ZN14ProcessManager11killProcessE7CString(ProcessManager* self, CString name)
{
    failWhenScripted("killProcess", name);
    return __real__ZN14ProcessManager11killProcessE7CString(self, name);
}

bool THISCALL __wrap__ZN14ProcessManager16isProcessRunningE7CString(ProcessManager* self, CString name)
{
    failWhenScripted("isProcessRunning", name);
    return __real__ZN14ProcessManager16isProcessRunningE7CString(self, name);
}

CString THISCALL __wrap__ZN16TarnelMessageMgr10getMessageE7CString(TarnelMessageMgr* self, CString key)
{
    failWhenScripted("getMessage", key);
    return __real__ZN16TarnelMessageMgr10getMessageE7CString(self, key);
}

}  // extern "C"
