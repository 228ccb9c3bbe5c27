// Test DLL: puts the thread that loads it into the multithreaded apartment. Loaded on
// the main thread of a program before its start-up code runs, it makes the program's
// own OLE initialisation (a single-threaded apartment) fail, as OLE start-up fails
// on a broken system.
#include <windows.h>
#include <objbase.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    return TRUE;
}
