// Right-click cost of each extension DLL against two floors: a bare handler that only
// inserts one item, and the same handler making first the registry reads of the menu
// text's language lookup (the user's language is read afresh for every menu, and under
// Wine each registry call is a round trip to the server). Per call, the class object,
// the handler's creation, Initialize with one file, QueryContextMenu on a popup menu,
// and the releases, as Explorer does on a right-click.
//   shellext_bench.exe <dir holding the DLLs> [iterations]
#include "ShellHost.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The registry reads of the language lookup, as the extensions make them: the user's
// choice in the Java preferences, else the Windows language.
bool readValue(const char* subKey, const char* valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    BYTE data[256];
    DWORD size = sizeof(data);
    LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, data, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void readLanguage()
{
    if (!readValue("Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg", "/Quenby/Language"))
        readValue("Control Panel\\International", "sLanguage");
}

// A floor: a handler that inserts one fixed item, reading nothing or only the language.
class BareHandler : public IShellExtInit, public IContextMenu {
public:
    explicit BareHandler(bool readsLanguage) : m_readsLanguage(readsLanguage) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit))
            *object = static_cast<IShellExtInit*>(this);
        else if (IsEqualIID(iid, IID_IContextMenu))
            *object = static_cast<IContextMenu*>(this);
        else
            return *object = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG refs = --m_refs;
        if (refs == 0) delete this;
        return refs;
    }
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) override { return S_OK; }
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT, UINT first, UINT, UINT) override
    {
        if (m_readsLanguage) readLanguage();
        InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, first, "Bare");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
    }
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO*) override { return S_OK; }
    STDMETHODIMP GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) override { return E_NOTIMPL; }

    virtual ~BareHandler() {}

private:
    bool m_readsLanguage;
    ULONG m_refs = 0;
};

class BareFactory : public IClassFactory {
public:
    explicit BareFactory(bool readsLanguage) : m_readsLanguage(readsLanguage) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** object) override
    {
        BareHandler* handler = new BareHandler(m_readsLanguage);
        HRESULT hr = handler->QueryInterface(iid, object);
        if (FAILED(hr)) delete handler;
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    bool m_readsLanguage;
};

BareFactory bareFactory(false);
BareFactory languageFactory(true);

HRESULT STDAPICALLTYPE bareGetClassObject(REFCLSID, REFIID iid, void** object)
{
    return bareFactory.QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE languageGetClassObject(REFCLSID, REFIID iid, void** object)
{
    return languageFactory.QueryInterface(iid, object);
}

typedef HRESULT(STDAPICALLTYPE* GetClassObject)(REFCLSID, REFIID, void**);

// One right-click; false when a step failed.
bool rightClick(GetClassObject getClassObject, REFCLSID clsid, IDataObject* data)
{
    IClassFactory* factory = nullptr;
    if (FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return false;
    IShellExtInit* init = nullptr;
    HRESULT hr = factory->CreateInstance(NULL, IID_IShellExtInit, reinterpret_cast<void**>(&init));
    factory->Release();
    if (FAILED(hr)) return false;
    IContextMenu* menu = nullptr;
    bool ok = SUCCEEDED(init->Initialize(NULL, data, NULL)) &&
              SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    if (ok) {
        HMENU popup = CreatePopupMenu();
        ok = HRESULT_CODE(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL)) == 1;
        DestroyMenu(popup);
        menu->Release();
    }
    init->Release();
    return ok;
}

// Microseconds per right-click, the best of five rounds.
double measure(GetClassObject getClassObject, REFCLSID clsid, IDataObject* data, int iterations)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QueryPerformanceCounter(&start);
        for (int i = 0; i < iterations; ++i)
            if (!rightClick(getClassObject, clsid, data)) {
                std::fprintf(stderr, "a right-click failed\n");
                std::exit(1);
            }
        QueryPerformanceCounter(&end);
        double us = 1e6 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) / iterations;
        if (us < best) best = us;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: shellext_bench <dll dir> [iterations]\n");
        return 2;
    }
    std::string dir = argv[1];
    int iterations = argc > 2 ? std::atoi(argv[2]) : 2000;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    IDataObject* data = ShellHost::createDropData({std::string(temp) + "letter.txt"}, ShellHost::DropKind::Wide);

    double bare = measure(bareGetClassObject, CLSID_NULL, data, iterations);
    std::printf("%-16s %9.2f us per right-click (floor 1)\n", "bare handler", bare);
    double language = measure(languageGetClassObject, CLSID_NULL, data, iterations);
    std::printf("%-16s %9.2f us per right-click (floor 2: floor 1 and the language's registry reads)\n",
                "+ language reads", language);
    for (const char* name : {"quenbyappForMe", "quenbyapp2", "quenbyappZip", "quenbyappWipe"}) {
        ShellHost::Extension extension(dir + "\\" + name + ".dll");
        GetClassObject getClassObject =
            reinterpret_cast<GetClassObject>(GetProcAddress(extension.module(), "DllGetClassObject"));
        // The zip extension takes plain folders only: it gets the temporary folder.
        IDataObject* own = std::string(name) == "quenbyappZip"
            ? ShellHost::createDropData({std::string(temp, lstrlenA(temp) - 1)}, ShellHost::DropKind::Wide)
            : (data->AddRef(), data);
        double us = measure(getClassObject, extension.clsidFromTypeLib(), own, iterations);
        own->Release();
        std::printf("%-16s %9.2f us per right-click, %6.1f x floor 1, %6.1f x floor 2\n", name, us, us / bare,
                    us / language);
    }
    data->Release();
    CoUninitialize();
    return 0;
}
