// Texts that cross from Windows' UTF-16 into the ANSI code page and are then handed on
// as a path or a list.
#pragma once

#include "afx/CString.h"

// Converts a UTF-16 text (up to its terminator) to the ANSI code page, exactly or not
// at all. The A functions convert with best-fit mapping (a fullwidth '>' becomes the
// list separator '>', a fullwidth '/' a '/') and put '?' for what the page lacks,
// without a word; a name so changed names another file. Here no best fit is allowed,
// no default character may be put in, and the result must convert back to the very
// same UTF-16 text. False, with ansi emptied, when the text cannot be carried.
bool AfxWideToAnsiExact(LPCWSTR wide, CString& ansi);
