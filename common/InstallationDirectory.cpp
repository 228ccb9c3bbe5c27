#include "common/InstallationDirectory.h"

#include <windows.h>

namespace {

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Skips one non-empty path component, double-byte characters whole, and the
// backslash that ends it; null when the component is empty or not so ended.
const char* skipComponent(const char* p)
{
    const char* start = p;
    while (*p && *p != '\\') p = CharNextA(p);
    if (p == start || *p != '\\') return nullptr;
    return p + 1;
}

}  // namespace

bool IsAbsoluteDirectory(const CString& directory)
{
    const char* text = directory;
    if (isDriveLetter(text[0]) && text[1] == ':' && text[2] == '\\') return true;
    if (text[0] != '\\' || text[1] != '\\') return false;
    const char* share = skipComponent(text + 2);
    return share && skipComponent(share);
}
