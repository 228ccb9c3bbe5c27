#include "common/RegistryValue.h"

#include <cstring>

BOOL RegistryValue::readText(HKEY root, const char* subKey, const char* valueName, CString& text)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return FALSE;

    BYTE data[kValueBytes] = {};
    DWORD size = sizeof(data);
    LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return FALSE;

    if (size > sizeof(data)) size = sizeof(data);
    const void* nul = std::memchr(data, 0, size);
    int length = nul ? static_cast<int>(static_cast<const BYTE*>(nul) - data) : static_cast<int>(size);
    text = CString(reinterpret_cast<const char*>(data), length);
    return TRUE;
}
