// Resource ids of the MFC-style layer, shared by the code and the resource scripts.
#pragma once

// The text shown when OLE cannot be initialised (afx/AfxOle.rc).
#define AFX_IDP_OLE_INIT_FAILED 100
// The text shown when Windows Sockets cannot be started (afx/AfxSocket.rc).
#define AFX_IDP_SOCKETS_INIT_FAILED 101
