// The reasons that Windows or the C runtime give for a failure, as text for a box.
#pragma once

#include "afx/CString.h"

class TarnelErrorMgr {
public:
    virtual ~TarnelErrorMgr() {}

    // The system's text for the code, trimmed, then " (code)" with the code written
    // as a signed number; for access denied (5) also two sentences on administrator
    // rights. Without a system text the result begins with the blank.
    CString formatError(DWORD code);
    // A fixed sentence for an errno value left by a failed process start; empty for
    // any value it does not know.
    CString formatSpawnError(int error);
};
