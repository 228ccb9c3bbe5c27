#include "afx/AfxMessageBox.h"

#include "afx/CWinApp.h"

namespace {

UINT withDefaultIcon(UINT type)
{
    if (type & MB_ICONMASK) return type;
    switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return type | MB_ICONEXCLAMATION;
    default:
        return type;
    }
}

}  // namespace

int AfxMessageBox(const char* text, UINT type)
{
    return MessageBoxA(nullptr, text, AfxGetAppName(), withDefaultIcon(type));
}

int AfxMessageBox(UINT textId, UINT type)
{
    return AfxMessageBox(AfxLoadString(textId), type);
}
