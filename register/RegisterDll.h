// Registers a COM server library with the system's regsvr32.exe.
#pragma once

#include "afx/CString.h"

class RegisterDll {
public:
    virtual ~RegisterDll() {}

    // Runs "<system directory>\regsvr32.exe <library> /s", by its full path, and waits
    // for it. The library goes onto the command line as given, so a path with blanks
    // must come quoted. 0 when the tool registered it; else the tool's exit code, or -1
    // when it could not be started, after a box saying so.
    int Regsvr32(CString library);
};
