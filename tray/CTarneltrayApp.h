// The tray launcher: brings up the Java application's tray, one instance at a time,
// and hands it its whole command line.
#pragma once

#include "afx/CWinApp.h"

class CTarneltrayApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
