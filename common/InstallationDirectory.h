// Whether an installation directory may be used to start one of our programs.
#pragma once

#include "afx/CString.h"

// True for an absolute directory: a drive letter, a colon and a backslash, or a UNC
// path "\\server\share\". Anything else (empty, "\", a path relative to the current
// directory or rooted without a drive) would make the started program depend on the
// caller's current directory or drive, where anybody may have planted one, so such a
// directory counts as no installation directory at all.
bool IsAbsoluteDirectory(const CString& directory);
