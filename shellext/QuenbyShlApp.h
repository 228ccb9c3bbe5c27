// The context-menu handler: takes the selection from Explorer, offers one menu item,
// and on the command starts the explorer command bridge with the selected names.
#pragma once

#include "afx/CString.h"
#include "shellext/ShellExtVariant.h"

#include <windows.h>
#include <shlobj.h>

class QuenbyShlApp : public IShellExtInit, public IContextMenu {
public:
    enum { kMaxNames = 1000 };

    // The object creator of the module's map entry.
    static HRESULT CreateInstance(const ShellExtVariant& variant, IUnknown* outer, REFIID iid, void** object);

    // IUnknown (shared by both interfaces)
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progIdKey) override;
    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, CHAR* buffer, UINT size) override;

    // TRUE when the name ends with one of the suffixes of encrypted and signature
    // files (case-sensitive).
    static BOOL IsPgpFile(CString name);

private:
    explicit QuenbyShlApp(const ShellExtVariant& variant);
    virtual ~QuenbyShlApp();

    void forgetSelection();
    HRESULT readSelection(HDROP drop);
    bool hasSelection() const { return m_lastIndex >= 0; }
    HRESULT startBridge() const;
    CString nameList() const;

    const ShellExtVariant& m_variant;
    // Apartment-threaded: every call comes on the creating thread, so no interlocking.
    ULONG m_refs = 0;
    CString m_fileNames[kMaxNames];
    int m_lastIndex = -1;   // the name list is slots 0 to m_lastIndex
};
