// Linked into a test build of the process tool only (ld --wrap): makes chosen calls of
// the process scan and the message catalogue raise std::bad_alloc, as they would when
// memory runs out, a state no test can bring about at one exact call of a real run.
//
// TARNEL_INJECTED_FAULTS names the calls that fail, each as "function(argument)#n"
// for the n-th call with that argument, for example
//   killProcess(tarneltray.exe)#1 isProcessRunning(outlook.exe)#2
// Every other call goes to the real function.
#include "common/ProcessManager.h"
#include "common/TarnelMessageMgr.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>

namespace {

void failWhenScripted(const char* function, const CString& argument)
{
    static std::map<std::string, int> callCounts;
    std::string call = std::string(function) + "(" + static_cast<const char*>(argument) + ")";
    std::string numbered = call + "#" + std::to_string(++callCounts[call]);
    const char* faults = std::getenv("TARNEL_INJECTED_FAULTS");
    if (faults && std::strstr(faults, numbered.c_str())) throw std::bad_alloc();
}

}  // namespace

// Member functions of the i686 ABI take this in ECX (thiscall); a class argument or
// result passed by value travels by hidden pointer as for any other function.
#define THISCALL __attribute__((thiscall))

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
