// Replaces one imported function in one loaded module's import address table, so
// that a test can stage an answer of the system that Wine never gives (a token
// without the Administrators group, a failing token query). The module's own code
// runs unchanged; only the address it calls through is swapped, and put back when
// the replacement is destroyed.
#pragma once

#include <windows.h>

class ImportReplacement {
public:
    ImportReplacement(HMODULE module, const char* dll, const char* function, const void* replacement);
    ~ImportReplacement();
    ImportReplacement(const ImportReplacement&) = delete;
    ImportReplacement& operator=(const ImportReplacement&) = delete;

    // Whether the module imports the function by name from that DLL.
    bool found() const { return m_slot != nullptr; }

private:
    void write(const void* address);

    const void** m_slot = nullptr;
    const void* m_original = nullptr;
};
