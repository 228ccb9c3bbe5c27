// The entry point of every deliverable program; see afx/AfxStackGuard.h. A file of its
// own, so that a DLL, which has no WinMainCRTStartup, never links it.
#include "afx/AfxStackGuard.h"

// The C runtime's entry of a GUI program (MinGW's crt2.o), which runs the static
// constructors and WinMain, and ends the process with WinMain's result.
extern "C" int WinMainCRTStartup();

extern "C" AFX_UNGUARDED int AfxProgramEntry()
{
    AfxSetStackGuard();
    return WinMainCRTStartup();
}
