#include "jvmloader/JvmLibrarySearch.h"

#include "jvmloader/JvmStatus.h"
#include "jvmloader/LoadTimeEnvironment.h"

#include <cstring>

namespace {

const size_t kPathBytes = 240;
const DWORD kValueBytes = 128;
const char kJvmBelowJavaHome[] = "\\jre\\bin\\client\\jvm.dll";
const char kJreKey[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kLowestVersion[] = "1.5";

// Reads a registry value into 128 bytes. A value that does not fit, terminator
// included, cannot be read.
bool readValue(HKEY key, const char* name, char (&text)[kValueBytes])
{
    DWORD size = kValueBytes;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
        return false;
    // Registry data need not end with a terminator: never read past the bytes read.
    if (size == kValueBytes && !std::memchr(text, 0, size)) return false;
    text[size < kValueBytes ? size : kValueBytes - 1] = '\0';
    return true;
}

bool readKeyValue(const char* subKey, const char* name, char (&text)[kValueBytes])
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    bool read = readValue(key, name, text);
    RegCloseKey(key);
    return read;
}

bool keyOpens(const char* subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The path of the VM library from the registered Java runtime, or the failure status.
int registeredJvmPath(char (&path)[kPathBytes])
{
    char version[kValueBytes];
    if (!readKeyValue(kJreKey, "CurrentVersion", version)) return kJvmNotInstalled;
    // A plain byte-wise comparison: "1.10" counts as lower than "1.5".
    if (std::strcmp(version, kLowestVersion) < 0) return kJvmNotInstalled;

    char versionKey[kPathBytes];
    std::strcpy(versionKey, kJreKey);
    std::strcat(versionKey, "\\");
    std::strcat(versionKey, version);  // 43 + at most 127 characters: always fits
    if (!keyOpens(versionKey)) return kJvmNotInstalled;

    char runtimeLib[kValueBytes];
    if (!readKeyValue(versionKey, "RuntimeLib", runtimeLib)) return kJvmRegkeyLibError;
    std::strcpy(path, runtimeLib);
    return kJvmOk;
}

}  // namespace

int JvmLibrarySearch::loadJvmLibrary(HMODULE& library)
{
    char path[kPathBytes];
    // Set even to the empty text, the variable decides alone: no registry fallback.
    if (const char* javaHome = LoadTimeEnvironment::find("VELMORA_JAVA_HOME")) {
        if (std::strlen(javaHome) + sizeof(kJvmBelowJavaHome) > kPathBytes) return kJvmLibNotFound;
        std::strcpy(path, javaHome);
        std::strcat(path, kJvmBelowJavaHome);
    } else {
        int status = registeredJvmPath(path);
        if (status != kJvmOk) return status;
    }
    HMODULE loaded = LoadLibraryA(path);
    if (!loaded) return kJvmLibNotFound;
    library = loaded;
    return kJvmOk;
}
