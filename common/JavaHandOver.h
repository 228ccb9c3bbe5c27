// The last steps of the tray launcher and the explorer command bridge: drive the
// Java side's "quenby.visualAction", then hand the command line to "quenby.QuenbyTray".
#pragma once

#include "afx/CString.h"

class JavaHandOver {
public:
    virtual ~JavaHandOver() {}

    // TRUE once launch has returned with the whole command line. FALSE, after the
    // catalogue's ERROR_LOADING_TARNEL_DLL box, when an object cannot be created.
    // In debug mode a box names each next step; echoCommandLine also shows the
    // command line just before launch.
    //
    // A call that the Java side rejects ends the hand-over with FALSE: both objects
    // are released, and before launch the same box is shown, since the Java side did
    // not answer as it must. During launch nothing is shown: the tray session may
    // have run for hours and ended with the Java side.
    BOOL run(const CString& commandLine, bool debug, bool echoCommandLine);
};
