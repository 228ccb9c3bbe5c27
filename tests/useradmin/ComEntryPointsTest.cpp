// The COM server entry points of a library that defines no COM class: no class
// object for any class, always free to unload, and a registration that writes
// nothing, called directly and by the stock regsvr32.
#include "UserAdminLibrary.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <tuple>

namespace {

typedef HRESULT(__stdcall* NoArgumentEntry)();
typedef HRESULT(__stdcall* GetClassObjectEntry)(REFCLSID, REFIID, void**);

// What the keys that a COM registration writes under hold: subkey and value counts
// and the time of the last change (which creating or deleting a subkey updates).
struct KeyState {
    DWORD subKeys = 0, values = 0;
    FILETIME written = {};
    bool operator==(const KeyState& other) const
    {
        return std::tie(subKeys, values, written.dwLowDateTime, written.dwHighDateTime) ==
               std::tie(other.subKeys, other.values, other.written.dwLowDateTime, other.written.dwHighDateTime);
    }
};

std::vector<KeyState> registrationKeys()
{
    const struct {
        HKEY root;
        const char* path;
    } keys[] = {{HKEY_CLASSES_ROOT, ""},          {HKEY_CLASSES_ROOT, "CLSID"},
                {HKEY_CLASSES_ROOT, "TypeLib"},   {HKEY_CLASSES_ROOT, "Interface"},
                {HKEY_CLASSES_ROOT, "AppID"},     {HKEY_CURRENT_USER, "Software\\Classes"},
                {HKEY_LOCAL_MACHINE, "Software\\Classes"}};
    std::vector<KeyState> states;
    for (const auto& key : keys) {
        KeyState state;
        HKEY opened;
        if (RegOpenKeyExA(key.root, key.path, 0, KEY_READ, &opened) == ERROR_SUCCESS) {
            RegQueryInfoKeyA(opened, nullptr, nullptr, nullptr, &state.subKeys, nullptr, nullptr, &state.values,
                             nullptr, nullptr, nullptr, &state.written);
            RegCloseKey(opened);
        }
        states.push_back(state);
    }
    return states;
}

DWORD runRegsvr32(const std::string& arguments)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    std::string program = std::string(system) + "\\regsvr32.exe";
    std::string commandLine = "regsvr32 " + arguments + " \"" + userAdminDllPath() + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return GetLastError() | 0x80000000;
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &exitCode);
    else TerminateProcess(process.hProcess, STILL_ACTIVE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

TEST(ComEntryPoints, NoClassObjectForAnyClass)
{
    UserAdminLibrary library;
    auto getClassObject = library.entry<GetClassObjectEntry>("DllGetClassObject");
    auto canUnloadNow = library.entry<NoArgumentEntry>("DllCanUnloadNow");
    ASSERT_TRUE(getClassObject && canUnloadNow);

    const CLSID someClass = {0x3f2a6b1c, 0x0d4e, 0x4a5b, {0x9c, 0x8d, 0x7e, 0x6f, 0x50, 0x41, 0x32, 0x23}};
    const std::pair<const CLSID*, const IID*> asked[] = {
        {&CLSID_NULL, &IID_IClassFactory}, {&someClass, &IID_IClassFactory}, {&someClass, &IID_IUnknown}};
    EXPECT_EQ(S_OK, canUnloadNow());
    for (const auto& ask : asked) {
        void* object = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(*ask.first, *ask.second, &object));
        EXPECT_EQ(nullptr, object);
    }
    // No out pointer: refused, nothing written.
    EXPECT_EQ(E_POINTER, getClassObject(someClass, IID_IClassFactory, nullptr));
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST(ComEntryPoints, RegisterServerWritesNothing)
{
    const std::vector<KeyState> before = registrationKeys();
    {
        UserAdminLibrary library;
        auto registerServer = library.entry<NoArgumentEntry>("DllRegisterServer");
        ASSERT_TRUE(registerServer);
        EXPECT_EQ(S_OK, registerServer());
    }
    EXPECT_TRUE(before == registrationKeys());
}

// Wine's regsvr32 ends with 0 on success and 4 when the entry point is missing.
TEST(ComEntryPoints, StockRegsvr32RegistersAndFindsNoUnregisterEntry)
{
    const std::vector<KeyState> before = registrationKeys();
    EXPECT_EQ(0u, runRegsvr32("/s"));
    EXPECT_TRUE(before == registrationKeys());
    EXPECT_EQ(4u, runRegsvr32("/s /u"));
    EXPECT_TRUE(before == registrationKeys());
}

}  // namespace
