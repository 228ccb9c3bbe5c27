// Registration of a module's embedded type library (resource "TYPELIB" 1).
#pragma once

#include <windows.h>

// Registers the type library under the module's path, with the module's directory
// as help directory. The result of the load or of RegisterTypeLib.
HRESULT AfxRegisterTypeLib(HINSTANCE module);
// Unregisters it again; nothing is removed when it cannot be loaded or when the
// system's oleaut32.dll has no UnRegisterTypeLib.
HRESULT AfxUnregisterTypeLib(HINSTANCE module);
