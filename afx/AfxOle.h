// OLE start-up of the programs that drive automation objects.
#pragma once

#include <windows.h>

// Each program that calls AfxOleInit carries the failure text (AFX_IDP_OLE_INIT_FAILED)
// by including afx/AfxOle.rc in its resource script.
#include "afx/AfxRes.h"

// Initialises OLE for the calling thread, a single-threaded apartment, until the
// program ends. On failure shows string resource 100 (OK, exclamation icon) and
// returns FALSE.
BOOL AfxOleInit();

// Control containment: nothing of it is used, so there is nothing to set up.
inline void AfxEnableControlContainer() {}
