#include "jvmloader/LoadTimeEnvironment.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

// "NAME=value\0NAME=value\0...\0", copied from the process when the library loads.
class EnvironmentCopy {
public:
    // Taken in UTF-16 and converted with the ANSI code page, as a C runtime does: the
    // values go to LoadLibraryA and into the class-path option, which read the ANSI page.
    // Windows documents its narrow block as OEM characters, in which a folder named
    // with an accented letter would not be found.
    EnvironmentCopy()
    {
        wchar_t* block = GetEnvironmentStringsW();
        if (!block) return;
        const wchar_t* end = block;
        while (*end) end += std::wcslen(end) + 1;
        const int units = int(end - block + 1);  // the final terminator included
        const int size = WideCharToMultiByte(CP_ACP, 0, block, units, nullptr, 0, nullptr, nullptr);
        if (size > 0) m_block = static_cast<char*>(std::malloc(size));
        if (m_block && !WideCharToMultiByte(CP_ACP, 0, block, units, m_block, size, nullptr, nullptr)) {
            std::free(m_block);
            m_block = nullptr;
        }
        FreeEnvironmentStringsW(block);
    }

    const char* find(const char* name) const
    {
        const size_t nameLength = std::strlen(name);
        if (!m_block) return nullptr;
        for (const char* entry = m_block; *entry; entry += std::strlen(entry) + 1) {
            // Entries such as "=C:=C:\dir" (the current directory of each drive) start
            // with '=' and never match a name.
            if (_strnicmp(entry, name, nameLength) == 0 && entry[nameLength] == '=')
                return entry + nameLength + 1;
        }
        return nullptr;
    }

private:
    char* m_block = nullptr;  // kept until the process ends
};

const EnvironmentCopy environmentAtLoad;

}  // namespace

const char* LoadTimeEnvironment::find(const char* name)
{
    return environmentAtLoad.find(name);
}
