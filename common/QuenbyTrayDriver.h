// The Java application's "quenby.QuenbyTray" automation object.
#pragma once

#include "afx/COleDispatchDriver.h"

class QuenbyTrayDriver : public COleDispatchDriver {
public:
    static constexpr const char* kProgId = "quenby.QuenbyTray";

    // DISPID 1: hands over a command line; returns when the tray's method returns.
    void launch(const char* commandLine);
};
