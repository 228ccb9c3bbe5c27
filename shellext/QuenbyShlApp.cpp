#include "shellext/QuenbyShlApp.h"

#include "afx/AnsiBoundary.h"
#include "afx/ComGuard.h"
#include "afx/ComModule.h"
#include "afx/Spawn.h"
#include "common/InstallationDirectory.h"
#include "common/TarnelMessageMgr.h"
#include "common/TarnelPolicyMgr.h"

#include <shellapi.h>
#include <vector>

namespace {

const char kBridgeProgram[] = "tarnelexplorer.exe";
// DragQueryFile's count request.
const UINT kCountRequest = 0xFFFFFFFF;

HRESULT lastErrorResult()
{
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

QuenbyShlApp::QuenbyShlApp(const ShellExtVariant& variant) : m_variant(variant)
{
    AfxGetComModule().Lock();
}

QuenbyShlApp::~QuenbyShlApp()
{
    AfxGetComModule().Unlock();
}

HRESULT QuenbyShlApp::CreateInstance(const ShellExtVariant& variant, IUnknown* outer, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    QuenbyShlApp* app = new (std::nothrow) QuenbyShlApp(variant);
    if (!app) return E_OUTOFMEMORY;
    HRESULT hr = app->QueryInterface(iid, object);
    if (FAILED(hr)) delete app;
    return hr;
}

STDMETHODIMP QuenbyShlApp::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit))
        *object = static_cast<IShellExtInit*>(this);
    else if (IsEqualIID(iid, IID_IContextMenu))
        *object = static_cast<IContextMenu*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) QuenbyShlApp::AddRef()
{
    return ++m_refs;
}

STDMETHODIMP_(ULONG) QuenbyShlApp::Release()
{
    ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP QuenbyShlApp::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY)
{
    return AfxComGuard([&]() -> HRESULT {
        // No name of an earlier selection may remain in the list.
        forgetSelection();
        if (!data) return E_INVALIDARG;

        FORMATETC format = {CF_HDROP, NULL, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (FAILED(data->GetData(&format, &medium))) return E_INVALIDARG;
        HRESULT result = E_INVALIDARG;
        if (HDROP drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
            result = AfxComGuard([&] { return readSelection(drop); });
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
        // A refused selection leaves no part of itself behind: acting on the items
        // read before the refused one would act on less than the user selected.
        if (FAILED(result)) forgetSelection();
        return result;
    });
}

void QuenbyShlApp::forgetSelection()
{
    for (CString& name : m_fileNames) name.Empty();
    m_lastIndex = -1;
}

HRESULT QuenbyShlApp::readSelection(HDROP drop)
{
    // The names are read wide: Explorer's drop data holds UTF-16, and the A call would
    // convert it with best fit (a fullwidth '>' becomes the list separator) and '?'
    // for what the ANSI code page lacks, so that the bridge would be handed another
    // file than the one selected. The W call also reads an ANSI drop, which Windows
    // converts with the ANSI code page.
    UINT count = DragQueryFileW(drop, kCountRequest, NULL, 0);
    // Acting on part of a selection (a wipe of the first thousand items) would be a
    // failure reported as success: a larger selection gets no item at all.
    if (count == 0 || count > kMaxNames) return E_INVALIDARG;

    wchar_t wide[MAX_PATH];
    CString name;
    for (UINT i = 0; i < count; ++i) {
        // A name that does not fit the buffer would be stored cut, and could then
        // name another, existing file. Every character takes at least one byte in
        // the ANSI code page, so a wide name that does not fit cannot fit converted.
        if (DragQueryFileW(drop, i, NULL, 0) >= MAX_PATH) return E_INVALIDARG;
        if (DragQueryFileW(drop, i, wide, MAX_PATH) == 0) continue;
        // A name the ANSI code page cannot carry exactly is one we cannot hand on;
        // converted, it must still fit the 260 bytes of a path, terminator included.
        if (!AfxWideToAnsiExact(wide, name) || name.GetLength() >= MAX_PATH) return E_INVALIDARG;
        m_fileNames[i] = name;
        m_lastIndex = static_cast<int>(i);
        // The attributes of the very file selected: the A call would convert the name
        // again, with the OEM code page in a host that switched its file functions to it.
        if (m_variant.plainDirectoriesOnly && GetFileAttributesW(wide) != FILE_ATTRIBUTE_DIRECTORY)
            return E_INVALIDARG;
    }
    return DragQueryFileW(drop, 0, wide, MAX_PATH) == 0 ? E_INVALIDARG : S_OK;
}

BOOL QuenbyShlApp::IsPgpFile(CString name)
{
    static const char* const kSuffixes[] = {".pgp", ".gpg", ".asc", ".sig", ".tarnel_signature",
                                            ".quenby_signature", ".quenby", ".tarnel"};
    for (const char* suffix : kSuffixes)
        if (name.Right(lstrlenA(suffix)) == suffix) return TRUE;
    return FALSE;
}

STDMETHODIMP QuenbyShlApp::QueryContextMenu(HMENU menu, UINT, UINT firstId, UINT lastId, UINT flags)
{
    return AfxComGuard([&]() -> HRESULT {
        const HRESULT noItem = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        if (flags & CMF_DEFAULTONLY) return noItem;
        // The host shares its ids out among its handlers: an id past lastId is another
        // handler's, and a click on either item could then start the other command.
        if (firstId > lastId || !hasSelection()) return noItem;
        TarnelMessageMgr messages;
        CString text = messages.getMessage(m_variant.menuKey);
        if (m_variant.pgpRule != PGP_IGNORED && IsPgpFile(m_fileNames[0])) {
            if (m_variant.pgpRule == PGP_HIDES_ITEM) return noItem;
            text = messages.getMessage(m_variant.pgpMenuKey);
        }
        // Always at the top of the menu, whatever position Explorer offers.
        if (!InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, firstId, text)) return noItem;
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
    });
}

STDMETHODIMP QuenbyShlApp::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* buffer, UINT size)
{
    return AfxComGuard([&]() -> HRESULT {
        if (offset != 0 || !(type & GCS_HELPTEXTA) || !buffer) return E_INVALIDARG;
        if (type & GCS_UNICODE) {
            int wide = MultiByteToWideChar(CP_ACP, 0, m_variant.helpText, -1, NULL, 0);
            std::vector<wchar_t> text(wide > 0 ? wide : 1, L'\0');
            MultiByteToWideChar(CP_ACP, 0, m_variant.helpText, -1, text.data(), wide);
            lstrcpynW(reinterpret_cast<LPWSTR>(buffer), text.data(), size);
        } else {
            lstrcpynA(buffer, m_variant.helpText, size);
        }
        return S_OK;
    });
}

STDMETHODIMP QuenbyShlApp::InvokeCommand(CMINVOKECOMMANDINFO* info)
{
    return AfxComGuard([&]() -> HRESULT {
        if (!info) return E_INVALIDARG;
        UINT_PTR verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
        if (HIWORD(verb) != 0 || LOWORD(verb) != 0) return E_INVALIDARG;
        // Without a selection no item was offered, so there is no command to carry out.
        if (!hasSelection()) return E_INVALIDARG;
        return startBridge();
    });
}

CString QuenbyShlApp::nameList() const
{
    CString list;
    for (int i = 0; i < m_lastIndex + 1; ++i) {
        list += m_fileNames[i];
        list += '>';
    }
    return list;
}

HRESULT QuenbyShlApp::startBridge() const
{
    TarnelPolicyMgr policy;
    CString directory = policy.getRuntimeLibDir();
    // Without an absolute installation directory there is nothing to start: the
    // bridge would be looked for relative to the host's current directory or drive.
    if (!IsAbsoluteDirectory(directory)) return S_OK;

    CString program = directory + kBridgeProgram;
    CString list = nameList();
    std::vector<const char*> argv;
    argv.push_back(program);
    for (const char* const* word = m_variant.arguments; *word; ++word) argv.push_back(*word);
    argv.push_back(list);
    argv.push_back(nullptr);
    if (AfxSpawn(AFX_SPAWN_NOWAIT, program, argv.data()) == -1) return lastErrorResult();
    return S_OK;
}
