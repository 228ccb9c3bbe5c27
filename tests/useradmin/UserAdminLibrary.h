// TarnelDllUserAdmin.dll loaded into the test process, as an outside caller loads it.
#pragma once

#include <windows.h>

#include <string>

// Where the build put the library (a Windows path).
inline std::string userAdminDllPath() { return TARNEL_USERADMIN_DLL; }

class UserAdminLibrary {
public:
    UserAdminLibrary() : m_module(LoadLibraryA(userAdminDllPath().c_str())) {}
    ~UserAdminLibrary()
    {
        if (m_module) FreeLibrary(m_module);
    }
    UserAdminLibrary(const UserAdminLibrary&) = delete;
    UserAdminLibrary& operator=(const UserAdminLibrary&) = delete;

    HMODULE module() const { return m_module; }

    template <typename Function>
    Function entry(const char* name) const
    {
        return reinterpret_cast<Function>(GetProcAddress(m_module, name));
    }

    int detectUserAdmin() const { return entry<int(__cdecl*)()>("detectUserAdmin")(); }

private:
    HMODULE m_module;
};
