#include "afx/AfxOle.h"

#include "afx/AfxMessageBox.h"

#include <ole2.h>

namespace {

// Uninitialises OLE when the program ends, after every object has been released.
struct OleSession {
    bool initialised = false;
    ~OleSession()
    {
        if (initialised) OleUninitialize();
    }
};

OleSession oleSession;

}  // namespace

BOOL AfxOleInit()
{
    if (FAILED(OleInitialize(nullptr))) {
        AfxMessageBox(AFX_IDP_OLE_INIT_FAILED);
        return FALSE;
    }
    oleSession.initialised = true;
    return TRUE;
}
