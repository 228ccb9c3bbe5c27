#include "afx/ComTypeLib.h"

#include <oleauto.h>
#include <string>

namespace {

typedef HRESULT(STDAPICALLTYPE* UnRegisterTypeLibFunction)(REFGUID, WORD, WORD, LCID, SYSKIND);

// The module's own type library, else the one beside it with the extension ".tlb".
HRESULT loadTypeLib(HINSTANCE module, std::wstring& path, ITypeLib** typeLib)
{
    wchar_t buffer[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    path.assign(buffer, length);
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib);
    if (SUCCEEDED(hr)) return hr;

    size_t dot = path.rfind(L'.');
    size_t slash = path.rfind(L'\\');
    std::wstring tlb = (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)
                            ? path.substr(0, dot) : path) + L".tlb";
    hr = LoadTypeLibEx(tlb.c_str(), REGKIND_NONE, typeLib);
    if (SUCCEEDED(hr)) path = tlb;
    return hr;
}

}  // namespace

HRESULT AfxRegisterTypeLib(HINSTANCE module)
{
    std::wstring path;
    ITypeLib* typeLib = nullptr;
    HRESULT hr = loadTypeLib(module, path, &typeLib);
    if (FAILED(hr)) return hr;
    std::wstring helpDirectory = path.substr(0, path.rfind(L'\\'));
    hr = RegisterTypeLib(typeLib, const_cast<wchar_t*>(path.c_str()),
                         const_cast<wchar_t*>(helpDirectory.c_str()));
    typeLib->Release();
    return hr;
}

HRESULT AfxUnregisterTypeLib(HINSTANCE module)
{
    std::wstring path;
    ITypeLib* typeLib = nullptr;
    HRESULT hr = loadTypeLib(module, path, &typeLib);
    if (FAILED(hr)) return hr;

    // Looked up by name at run time: oleaut32.dll of Windows before 2000 lacks it.
    HMODULE oleaut = LoadLibraryA("oleaut32.dll");
    UnRegisterTypeLibFunction unregister = oleaut
        ? reinterpret_cast<UnRegisterTypeLibFunction>(GetProcAddress(oleaut, "UnRegisterTypeLib"))
        : nullptr;
    TLIBATTR* attributes = nullptr;
    if (unregister && SUCCEEDED(hr = typeLib->GetLibAttr(&attributes))) {
        hr = unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                        attributes->lcid, attributes->syskind);
        typeLib->ReleaseTLibAttr(attributes);
    } else if (!unregister) {
        hr = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }
    if (oleaut) FreeLibrary(oleaut);
    typeLib->Release();
    return hr;
}
