// The start launcher, run at log-on: honours the Java application's preference for
// starting with Windows, then hands over to the tray launcher once the Java side's
// automation object can be created, or to one fresh copy of itself 12 s later.
#pragma once

#include "afx/CWinApp.h"

class CTarnelstartApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

// 1 unless HKCU Software\JavaSoft\Prefs\com\quenby\application\tools holds the value
// "start/On/Windows/Startup" (up to 128 bytes, of any type, taken as text) without
// "true" in it: a missing or unreadable preference means start. Reads only.
int IsStartOnWindowsStartupEnabled();
