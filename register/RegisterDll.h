// Registers a COM server library with the system's regsvr32.exe.
#pragma once

#include "afx/CString.h"

class RegisterDll {
public:
    virtual ~RegisterDll() {}

    // Runs "%SystemRoot%\system32\regsvr32.exe <library> /s" and waits for it; without
    // SystemRoot, the regsvr32.exe of the system directory, by its full path. The
    // library goes onto the command line as given, so a path with blanks must come
    // quoted. 0 when the tool registered it; else the tool's exit code, or -1 when it
    // could not be started, after a box saying so.
    int Regsvr32(CString library);
};
