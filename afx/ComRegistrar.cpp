#include "afx/ComRegistrar.h"

#include <objbase.h>
#include <string>

// The registrar's interface as documented for ATL: IRegistrarBase's two methods,
// then IRegistrar's eight. MinGW has no ATL headers, so it is declared here. It
// stays outside the anonymous namespace: GCC takes a class with internal linkage that
// nothing in this file implements for one that is never called, and drops the calls.
struct IAtlRegistrar : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegisterSz(LPCOLESTR file, LPCOLESTR id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregisterSz(LPCOLESTR file, LPCOLESTR id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileRegister(LPCOLESTR file) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileUnregister(LPCOLESTR file) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringRegister(LPCOLESTR script) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringUnregister(LPCOLESTR script) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegister(LPCOLESTR file, UINT id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregister(LPCOLESTR file, UINT id, LPCOLESTR type) = 0;
};

namespace {

const CLSID CLSID_AtlRegistrar = {0x44EC053A, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};
const IID IID_IAtlRegistrar = {0x44EC053B, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFunction)(REFCLSID, REFIID, void**);

HRESULT lastErrorResult()
{
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// The module's path as the script names it: the short form, or the long one when the
// system has no short form for it (short names switched off, or a path too long).
HRESULT modulePath(HINSTANCE module, std::wstring& path)
{
    char longPath[MAX_PATH], shortPath[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, longPath, MAX_PATH);
    if (length == 0) return lastErrorResult();
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    DWORD shortLength = GetShortPathNameA(longPath, shortPath, MAX_PATH);
    const char* chosen = shortLength > 0 && shortLength < MAX_PATH ? shortPath : longPath;

    int wide = MultiByteToWideChar(CP_ACP, 0, chosen, -1, NULL, 0);
    if (wide == 0) return lastErrorResult();
    path.resize(wide);
    MultiByteToWideChar(CP_ACP, 0, chosen, -1, &path[0], wide);
    path.resize(wide - 1);
    return S_OK;
}

// Inside the script's single-quoted strings a quote is written twice.
std::wstring quotedForScript(const std::wstring& text)
{
    std::wstring quoted;
    for (wchar_t ch : text) {
        quoted += ch;
        if (ch == L'\'') quoted += L'\'';
    }
    return quoted;
}

HRESULT runRegistrar(HMODULE atl, const std::wstring& path, UINT resourceId, BOOL doRegister)
{
    // The registrar is asked of atl.dll directly rather than through CoCreateInstance:
    // that needs neither its registration nor COM started on the calling thread.
    GetClassObjectFunction getClassObject =
        reinterpret_cast<GetClassObjectFunction>(GetProcAddress(atl, "DllGetClassObject"));
    if (!getClassObject) return lastErrorResult();
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(CLSID_AtlRegistrar, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    IAtlRegistrar* registrar = nullptr;
    hr = factory->CreateInstance(NULL, IID_IAtlRegistrar, reinterpret_cast<void**>(&registrar));
    factory->Release();
    if (FAILED(hr)) return hr;

    hr = registrar->AddReplacement(L"MODULE", quotedForScript(path).c_str());
    if (SUCCEEDED(hr))
        hr = doRegister ? registrar->ResourceRegister(path.c_str(), resourceId, L"REGISTRY")
                        : registrar->ResourceUnregister(path.c_str(), resourceId, L"REGISTRY");
    registrar->Release();
    return hr;
}

}  // namespace

HRESULT AfxApplyRegistryScript(HINSTANCE module, UINT resourceId, BOOL doRegister)
{
    std::wstring path;
    HRESULT hr = modulePath(module, path);
    if (FAILED(hr)) return hr;

    // From the system directory by full path: a bare "atl.dll" would be looked for in
    // the host's own directory first.
    char atlPath[MAX_PATH];
    UINT length = GetSystemDirectoryA(atlPath, MAX_PATH - 9);
    if (length == 0 || length >= MAX_PATH - 9) return lastErrorResult();
    lstrcatA(atlPath, "\\atl.dll");
    HMODULE atl = LoadLibraryA(atlPath);
    if (!atl) return lastErrorResult();
    hr = runRegistrar(atl, path, resourceId, doRegister);
    FreeLibrary(atl);
    return hr;
}
