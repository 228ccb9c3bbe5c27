// The Java application's "quenby.visualAction" automation object.
#pragma once

#include "afx/COleDispatchDriver.h"

class VisualActionDriver : public COleDispatchDriver {
public:
    static constexpr const char* kProgId = "quenby.visualAction";

    BOOL invokeMethod7();                        // DISPID 7
    long invokeMethod9();                        // DISPID 9
    BOOL invokeMethod11(long value, BOOL flag);  // DISPID 11
};
