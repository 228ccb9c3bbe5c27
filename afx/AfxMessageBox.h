// Message boxes of the programs and libraries: modal, no owner window, the
// application title as caption.
#pragma once

#include "afx/CString.h"

// An OK, OK/Cancel, Yes/No or Yes/No/Cancel box given without an icon gets the
// exclamation icon; Retry/Cancel and Abort/Retry/Ignore boxes stay without one.
// Returns the id of the button pressed.
int AfxMessageBox(const char* text, UINT type = MB_OK);
// The same with a string resource of this module as the text.
int AfxMessageBox(UINT textId, UINT type = MB_OK);
