// Finds running processes by image name: an image matches when its lower-cased name
// contains the lower-cased name sought. Each call takes a fresh process snapshot.
#pragma once

#include "afx/CString.h"

class ProcessManager {
public:
    virtual ~ProcessManager() {}

    // The number of matching processes, the calling process included; 0 when no
    // snapshot can be taken.
    int countProcess(CString name);

    // True as soon as one process matches.
    bool isProcessRunning(CString name);

    // Ends (exit code 0) the first matching process, in snapshot order, that may be
    // opened for termination and ended, and returns true; it does not wait for the
    // process to disappear. False when no matching process could be ended.
    bool killProcess(CString name);
};
