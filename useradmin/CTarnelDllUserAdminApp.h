// The administrator probe library's application object: started while the library
// is loaded, it keeps whether the user was found in the Administrators group.
#pragma once

#include "afx/CWinApp.h"

class CTarnelDllUserAdminApp : public CWinApp {
public:
    CTarnelDllUserAdminApp();
    ~CTarnelDllUserAdminApp() override;

    // Starts Windows Sockets 1.1; FALSE (after the failure box) makes the load fail.
    BOOL InitInstance() override;

    // Sets m_bUserIsAdmin when the process token holds the Administrators group.
    void CheckAdminGroupMembership();

    // 0 when the library is loaded, 1 once the group has been found; never cleared.
    BOOL m_bUserIsAdmin;
};

extern CTarnelDllUserAdminApp theApp;
