// The installation process tool: ends the running tray and service so that an
// installation can replace their files, then waits for the user to quit Outlook.
#pragma once

#include "afx/CWinApp.h"

class CTarnelProcessApp : public CWinApp {
public:
    ~CTarnelProcessApp() override;

    // 0 when the Outlook loop ends because Outlook is not running (or cannot be
    // tested for), -1 when the user gives up or an unexpected failure ends it; FALSE
    // when OLE cannot be initialised. The process ends with exit code 0 either way.
    BOOL InitInstance() override;
};
