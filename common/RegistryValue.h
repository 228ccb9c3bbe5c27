// Reads one registry value the way every lookup of the support library does: the key
// opened with query access only, the value read into 128 bytes, the key closed again.
#pragma once

#include "afx/CString.h"

namespace RegistryValue {

const DWORD kValueBytes = 128;

// TRUE and the value as text when the key opens and the value fits in 128 bytes,
// whatever its registry type. The text ends at the first null byte, or after the
// last byte read when the value holds none: never past what was read.
BOOL readText(HKEY root, const char* subKey, const char* valueName, CString& text);

}  // namespace RegistryValue
