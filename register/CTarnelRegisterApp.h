// The installer tool: records the installation directory, prepares the Java runtime
// and registers the Outlook add-in, in numbered steps, each one logged.
#pragma once

#include "afx/CWinApp.h"

class CTarnelRegisterApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    // Appends the line to %APPDATA%\tarnel.log, or shows it in a box while the marker
    // file c:\temp\tarnel.txt exists. A failure is shown, never passed on.
    void WriteLog(CString line);
};
