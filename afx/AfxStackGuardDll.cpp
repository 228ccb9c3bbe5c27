// The entry point of every deliverable DLL; see afx/AfxStackGuard.h. A file of its
// own, so that a program, which has no DllMainCRTStartup, never links it.
#include "afx/AfxStackGuard.h"

// The C runtime's entry of a DLL (MinGW's dllcrt2.o), which runs the static
// constructors and then DllMain.
extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE module, DWORD reason, LPVOID reserved);

extern "C" AFX_UNGUARDED BOOL WINAPI AfxDllEntry(HANDLE module, DWORD reason, LPVOID reserved)
{
    // Set once, before the first code of the library runs. Later calls (threads
    // attaching, the detach) may find guarded functions of ours running on other
    // threads, which a new value would end.
    if (reason == DLL_PROCESS_ATTACH) AfxSetStackGuard();
    return DllMainCRTStartup(module, reason, reserved);
}
