// Windows Sockets start-up of the libraries that need it.
#pragma once

#include <windows.h>

// Each module that calls AfxSocketInit carries the failure text
// (AFX_IDP_SOCKETS_INIT_FAILED) by including afx/AfxSocket.rc in its resource script.
#include "afx/AfxRes.h"

// Starts Windows Sockets 1.1 for this module until it is unloaded (or the program
// ends). Only version 1.1 is accepted in the answer. On failure shows string
// resource 101 (OK, exclamation icon) and returns FALSE.
BOOL AfxSocketInit();
