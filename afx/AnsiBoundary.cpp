#include "afx/AnsiBoundary.h"

#include <cwchar>
#include <vector>

#ifndef WC_ERR_INVALID_CHARS
#define WC_ERR_INVALID_CHARS 0x00000080
#endif

namespace {

// Under UTF-8 as the ANSI code page every character has its bytes, and Windows refuses
// WC_NO_BEST_FIT_CHARS and the used-default flag there; only an unpaired surrogate
// cannot be carried, which WC_ERR_INVALID_CHARS turns into a failure instead of U+FFFD.
int convert(UINT codePage, LPCWSTR wide, char* buffer, int size, BOOL* usedDefault)
{
    if (codePage == CP_UTF8) return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, buffer, size, NULL, NULL);
    return WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, -1, buffer, size, NULL, usedDefault);
}

}  // namespace

bool AfxWideToAnsiExact(LPCWSTR wide, CString& ansi)
{
    ansi.Empty();
    if (!wide) return false;
    const UINT codePage = GetACP();
    BOOL usedDefault = FALSE;
    int bytes = convert(codePage, wide, NULL, 0, &usedDefault);
    if (bytes <= 0 || usedDefault) return false;
    std::vector<char> text(bytes);
    if (convert(codePage, wide, text.data(), bytes, &usedDefault) != bytes || usedDefault) return false;

    // The way back must give the text we were given: nothing mapped to a look-alike.
    int chars = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), bytes, NULL, 0);
    if (chars <= 0) return false;
    std::vector<wchar_t> back(chars);
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), bytes, back.data(), chars) != chars ||
        std::wcscmp(back.data(), wide) != 0)
        return false;
    ansi = text.data();
    return true;
}
