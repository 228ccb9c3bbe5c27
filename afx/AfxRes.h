// Resource ids of the MFC-style layer, shared by the code and the resource scripts.
#pragma once

// The text shown when OLE cannot be initialised (afx/AfxOle.rc).
#define AFX_IDP_OLE_INIT_FAILED 100
