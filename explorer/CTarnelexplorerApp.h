// The explorer command bridge: hands a command line built by a shell extension to
// the Java application's tray object.
#pragma once

#include "afx/CWinApp.h"

class CTarnelexplorerApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
