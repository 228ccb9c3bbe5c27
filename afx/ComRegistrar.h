// Applies a registry script ("REGISTRY" resource of the module) through the registrar
// of the system's ATL runtime, atl.dll, which every Windows since 2000 (and Wine)
// ships: it knows the ForceRemove and NoRemove rules of the script format.
#pragma once

#include <windows.h>

// Registers (doRegister TRUE) or unregisters the script resource `resourceId` of
// `module`, with %MODULE% replaced by the module's short path (its long path when
// there is no short one). The registrar's result, or why it could not be reached.
HRESULT AfxApplyRegistryScript(HINSTANCE module, UINT resourceId, BOOL doRegister);
