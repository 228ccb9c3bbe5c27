// The program frame: one application object whose InitInstance does the whole job.
#pragma once

#include "afx/CString.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    // The program's whole job. The process ends when it returns, with exit code 0
    // whatever it returns: no window is created and no message loop is run.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
};

// The one application object, or a null pointer in a module that has none.
CWinApp* AfxGetApp();

// The application title of the module this code is linked into: string resource
// 57344 when the module has it, else the module's file name without its extension.
const char* AfxGetAppName();

// A string resource of the module this code is linked into; empty when absent.
CString AfxLoadString(UINT id);
