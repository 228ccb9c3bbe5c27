// Registration of each DLL through the system's own regsvr32, read back from the
// registry (the 32-bit view, as our 32-bit DLLs see it), through oleaut32 and through
// COM itself. Everything is unregistered again, and keys the test made are removed.
#include "ShellExtCases.h"
#include "afx/Spawn.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

using TestSupport::ScratchDirectory;

namespace {

bool keyExists(const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A REG_SZ value, or "(absent)" / "(not text)".
std::string textValue(const std::string& path, const char* name = "")
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "(absent)";
    char data[1024];
    DWORD type = 0, size = sizeof data - 1;
    LONG rc = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return "(absent)";
    if (type != REG_SZ) return "(not text)";
    data[size] = '\0';
    return data;
}

DWORD subkeyCount(const std::string& path)
{
    HKEY key;
    DWORD count = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return count;
}

void createKey(const std::string& path, const char* defaultValue = nullptr)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL))
        << path;
    if (defaultValue)
        RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(defaultValue), lstrlenA(defaultValue) + 1);
    RegCloseKey(key);
}

// The stock regsvr32 of the system directory (the 32-bit one, for a 32-bit caller).
int regsvr32(const std::string& dll, bool unregister)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    std::string tool = std::string(system) + "\\regsvr32.exe";
    std::string quoted = "\"" + dll + "\"";
    std::vector<const char*> argv = {tool.c_str(), "/s"};
    if (unregister) argv.push_back("/u");
    argv.push_back(quoted.c_str());
    argv.push_back(nullptr);
    return AfxSpawn(AFX_SPAWN_WAIT, tool.c_str(), argv.data());
}

// One of the DLL's registration exports, called in this process.
HRESULT callExport(const std::string& dll, const char* name)
{
    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(module, name));
    HRESULT hr = entry ? entry() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    FreeLibrary(module);
    return hr;
}

// Every key below path (path itself included) with its default value, one line each.
std::string treeOf(const std::string& path)
{
    std::string tree = path + " = " + textValue(path) + "\n";
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return tree;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) tree += treeOf(path + "\\" + name);
    RegCloseKey(key);
    return tree;
}

std::string shortPath(const std::string& path)
{
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : path;
}

class RegistrationTest : public ::testing::TestWithParam<ShellExtCase> {
protected:
    void SetUp() override
    {
        const ShellExtCase& c = GetParam();
        m_clsidKey = std::string("CLSID\\") + c.clsid;
        m_handlers = std::string(c.handlerRoot) + "\\ShellEx\\ContextMenuHandlers";
        m_handlerKey = m_handlers + "\\" + c.handlerKey;
        m_typeLibKey = std::string("TypeLib\\") + c.libid;
        for (const std::string& shared : sharedKeys()) m_sharedExisted.push_back(keyExists(shared));
        // A registration that was there before the test is put back afterwards.
        m_previousServer = textValue(m_clsidKey + "\\InprocServer32");
        CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    }

    void TearDown() override
    {
        CoFreeUnusedLibraries();
        CoUninitialize();
        for (const std::string& dll : m_registered) regsvr32(dll, true);
        for (const std::string& key : m_madeKeys) SHDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
        if (m_previousServer != "(absent)") regsvr32(m_previousServer, false);
        // Shared keys that only the registration created go again (deleted only when empty).
        std::vector<std::string> shared = sharedKeys();
        for (size_t i = shared.size(); i-- > 0;)
            if (!m_sharedExisted[i]) RegDeleteKeyA(HKEY_CLASSES_ROOT, shared[i].c_str());
    }

    std::vector<std::string> sharedKeys() const
    {
        std::string root = GetParam().handlerRoot;
        return {root, root + "\\ShellEx", root + "\\ShellEx\\ContextMenuHandlers"};
    }

    void registerDll(const std::string& dll)
    {
        m_registered.push_back(dll);
        ASSERT_EQ(0, regsvr32(dll, false)) << dll;
    }

    void expectUnregistered()
    {
        const ShellExtCase& c = GetParam();
        EXPECT_FALSE(keyExists(c.progId));
        EXPECT_FALSE(keyExists(c.versionIndependentProgId));
        EXPECT_FALSE(keyExists(m_handlerKey));
        EXPECT_FALSE(keyExists(m_typeLibKey));
        EXPECT_TRUE(keyExists("CLSID"));
        for (const std::string& shared : sharedKeys()) EXPECT_TRUE(keyExists(shared)) << shared;
    }

    std::string m_clsidKey, m_handlers, m_handlerKey, m_typeLibKey, m_previousServer;
    std::vector<bool> m_sharedExisted;
    std::vector<std::string> m_registered, m_madeKeys;
};

std::string caseName(const ::testing::TestParamInfo<ShellExtCase>& info) { return info.param.dll; }

}  // namespace

INSTANTIATE_TEST_SUITE_P(Dlls, RegistrationTest, ::testing::ValuesIn(kShellExtCases), caseName);

TEST_P(RegistrationTest, RegistersEveryKeyOfTheScriptAndUnregistersThemAgain)
{
    const ShellExtCase& c = GetParam();
    std::string dll = dllPath(c);
    registerDll(dll);

    EXPECT_EQ("QuenbyShlApp Class", textValue(c.progId));
    EXPECT_EQ(c.clsid, textValue(std::string(c.progId) + "\\CLSID"));
    EXPECT_EQ("QuenbyShlApp Class", textValue(c.versionIndependentProgId));
    EXPECT_EQ(c.clsid, textValue(std::string(c.versionIndependentProgId) + "\\CLSID"));
    EXPECT_EQ(c.progId, textValue(std::string(c.versionIndependentProgId) + "\\CurVer"));
    EXPECT_EQ("QuenbyShlApp Class", textValue(m_clsidKey));
    EXPECT_EQ(c.progId, textValue(m_clsidKey + "\\ProgID"));
    EXPECT_EQ(c.versionIndependentProgId, textValue(m_clsidKey + "\\VersionIndependentProgID"));
    EXPECT_EQ(shortPath(dll), textValue(m_clsidKey + "\\InprocServer32"));
    EXPECT_EQ("Apartment", textValue(m_clsidKey + "\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ(c.libid, textValue(m_clsidKey + "\\TypeLib"));
    EXPECT_EQ(4u, subkeyCount(m_clsidKey));
    EXPECT_EQ(c.clsid, textValue(m_handlerKey));
    EXPECT_EQ(0u, subkeyCount(m_handlerKey));

    // The type library, registered under the DLL's path with its folder for help.
    EXPECT_EQ(c.typeLibHelp, textValue(m_typeLibKey + "\\1.0"));
    EXPECT_EQ(dll, textValue(m_typeLibKey + "\\1.0\\0\\win32"));
    EXPECT_EQ(dll.substr(0, dll.rfind('\\')), textValue(m_typeLibKey + "\\1.0\\HELPDIR"));
    ITypeLib* lib = nullptr;
    ASSERT_EQ(S_OK, LoadRegTypeLib(guidOf(c.libid), 1, 0, 0, &lib));
    BSTR name = nullptr;
    ASSERT_EQ(S_OK, lib->GetDocumentation(-1, &name, NULL, NULL, NULL));
    EXPECT_EQ(std::wstring(c.typeLibName, c.typeLibName + strlen(c.typeLibName)), name);
    SysFreeString(name);
    lib->Release();

    // COM finds the server by what the script wrote.
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, CoGetClassObject(guidOf(c.clsid), CLSCTX_INPROC_SERVER, NULL, IID_IClassFactory,
                                     reinterpret_cast<void**>(&factory)));
    IContextMenu* menu = nullptr;
    EXPECT_EQ(S_OK, factory->CreateInstance(NULL, IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    if (menu) menu->Release();
    factory->Release();

    ASSERT_EQ(0, regsvr32(dll, true));
    expectUnregistered();
    EXPECT_FALSE(keyExists(m_clsidKey));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoGetClassObject(guidOf(c.clsid), CLSCTX_INPROC_SERVER, NULL, IID_IClassFactory,
                                                    reinterpret_cast<void**>(&factory)));
}

TEST_P(RegistrationTest, RegisteringTwiceLeavesOneSet)
{
    const ShellExtCase& c = GetParam();
    registerDll(dllPath(c));
    // The ForceRemove keys are rebuilt: what was added below them goes.
    createKey(m_clsidKey + "\\Stray");
    createKey(m_handlerKey + "\\Stray");
    registerDll(dllPath(c));
    EXPECT_FALSE(keyExists(m_clsidKey + "\\Stray"));
    EXPECT_FALSE(keyExists(m_handlerKey + "\\Stray"));
    EXPECT_EQ(4u, subkeyCount(m_clsidKey));

    int handlersForUs = 0;
    HKEY handlers;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, m_handlers.c_str(), 0, KEY_READ, &handlers));
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(handlers, i, name, sizeof name) == ERROR_SUCCESS; ++i)
        if (textValue(m_handlers + "\\" + name) == c.clsid) ++handlersForUs;
    RegCloseKey(handlers);
    EXPECT_EQ(1, handlersForUs);
}

TEST_P(RegistrationTest, UnregisteringKeepsSharedKeysAndOtherHandlers)
{
    std::string foreign = m_handlers + "\\TarnelTestForeignHandler";
    m_madeKeys.push_back(foreign);
    createKey(foreign, "{00000000-1111-2222-3333-444444444444}");
    registerDll(dllPath(GetParam()));
    ASSERT_EQ(0, regsvr32(dllPath(GetParam()), true));
    expectUnregistered();
    EXPECT_FALSE(keyExists(m_clsidKey));
    EXPECT_EQ("{00000000-1111-2222-3333-444444444444}", textValue(foreign));
}

// An uninstaller may unregister a library that was never registered: that succeeds,
// for the stock tool as well, and leaves the other handlers as they were.
TEST_P(RegistrationTest, UnregisteringWhatWasNeverRegisteredSucceedsAndTouchesNoOtherHandler)
{
    const ShellExtCase& c = GetParam();
    // What an earlier registration left goes first; one that was there before the test
    // is put back afterwards.
    for (const std::string& key : {std::string(c.progId), std::string(c.versionIndependentProgId), m_clsidKey,
                                   m_handlerKey, m_typeLibKey})
        SHDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    std::string foreign = m_handlers + "\\TarnelTestForeignHandler";
    m_madeKeys.push_back(foreign);
    createKey(foreign, "{00000000-1111-2222-3333-444444444444}");
    createKey(foreign + "\\Below");
    ASSERT_FALSE(keyExists(m_clsidKey));
    const std::string handlersBefore = treeOf(m_handlers);
    ASSERT_EQ(std::string::npos, handlersBefore.find(c.clsid)) << handlersBefore;

    EXPECT_EQ(S_OK, callExport(dllPath(c), "DllUnregisterServer"));
    EXPECT_EQ(0, regsvr32(dllPath(c), true));
    expectUnregistered();
    EXPECT_FALSE(keyExists(m_clsidKey));
    EXPECT_EQ(handlersBefore, treeOf(m_handlers));
}

TEST_P(RegistrationTest, ClassKeyHoldingAForeignSubkeyStays)
{
    registerDll(dllPath(GetParam()));
    m_madeKeys.push_back(m_clsidKey);
    createKey(m_clsidKey + "\\ForeignSubkey");
    ASSERT_EQ(0, regsvr32(dllPath(GetParam()), true));
    expectUnregistered();
    EXPECT_TRUE(keyExists(m_clsidKey + "\\ForeignSubkey"));
    EXPECT_EQ(1u, subkeyCount(m_clsidKey)) << "its own four subkeys go";
}

// The first failure of the registry script is what registration returns, and the type
// library is then not registered. A volatile key can hold no lasting subkey, so a
// volatile version-independent ProgID key makes the script fail at its CLSID value.
TEST_P(RegistrationTest, FailingScriptIsReturnedAndTheTypeLibraryIsLeftOut)
{
    const ShellExtCase& c = GetParam();
    m_madeKeys.push_back(c.versionIndependentProgId);
    m_registered.push_back(dllPath(c));   // whatever the script wrote goes again
    // Laid anew before each attempt: a failed registration may take the key away.
    auto layTrap = [&] {
        HKEY trap;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, c.versionIndependentProgId, 0, NULL,
                                                 REG_OPTION_VOLATILE, KEY_WRITE, NULL, &trap, NULL));
        RegCloseKey(trap);
    };

    layTrap();
    HRESULT hr = callExport(dllPath(c), "DllRegisterServer");
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_FALSE(keyExists(m_typeLibKey));
    EXPECT_FALSE(keyExists(m_handlerKey)) << "the script went on after its failure";

    layTrap();
    EXPECT_NE(0, regsvr32(dllPath(c), false)) << "the stock tool saw success";
    EXPECT_FALSE(keyExists(m_typeLibKey));
}

TEST_P(RegistrationTest, ModulePathHoldingASingleQuote)
{
    ScratchDirectory scratch("reg");
    std::string dll = scratch.copyIn(dllPath(GetParam()), std::string("o'k\\") + GetParam().dll + ".dll");
    registerDll(dll);
    std::string expected = shortPath(dll);
    // Short names keep a quote in a component that is a valid 8.3 name: the case
    // is only shown when the short path still holds it.
    ASSERT_NE(std::string::npos, expected.find("\\o'k\\")) << expected;
    EXPECT_EQ(expected, textValue(m_clsidKey + "\\InprocServer32"));
    EXPECT_EQ(dll, textValue(m_typeLibKey + "\\1.0\\0\\win32"));
    ASSERT_EQ(0, regsvr32(dll, true));
    expectUnregistered();
    EXPECT_FALSE(keyExists(m_clsidKey));
}
