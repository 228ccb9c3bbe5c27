#include "jvmloader/LoadTimeEnvironment.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// "NAME=value\0NAME=value\0...\0", copied from the process when the library loads.
class EnvironmentCopy {
public:
    EnvironmentCopy()
    {
        char* block = GetEnvironmentStringsA();
        if (!block) return;
        const char* end = block;
        while (*end) end += std::strlen(end) + 1;
        const size_t size = end - block + 1;  // the final terminator included
        m_block = static_cast<char*>(std::malloc(size));
        if (m_block) std::memcpy(m_block, block, size);
        FreeEnvironmentStringsA(block);
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
