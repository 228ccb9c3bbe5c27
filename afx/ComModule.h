// The module of an in-process COM server: its object map, its lock count and the
// exports' logic (class objects, unload test, registration).
#pragma once

#include <windows.h>
#include <objbase.h>

// Creates an object of one class: refuses an outer object, else constructs it and
// answers the interface asked for.
typedef HRESULT (*AfxComCreator)(IUnknown* outer, REFIID iid, void** object);

// One class that the module serves. The map is an array ending with a null clsid.
struct AfxComClassEntry {
    const CLSID* clsid;
    UINT registryScriptId;        // the "REGISTRY" resource applied at (un)registration
    AfxComCreator createInstance;
    IClassFactory* cachedFactory;  // null until the first class-object request
};

class CComServerModule {
public:
    // objectMap may be empty ({nullptr...} only); libid null when there is no type library.
    void Init(AfxComClassEntry* objectMap, HINSTANCE instance, const GUID* libid);
    // Releases the cached class factories; the module serves nothing afterwards.
    void Term();

    // The lock count: live objects, outside references to a class factory, LockServer.
    LONG Lock() { return InterlockedIncrement(&m_lockCount); }
    LONG Unlock() { return InterlockedDecrement(&m_lockCount); }
    LONG GetLockCount() const { return m_lockCount; }
    HINSTANCE GetModuleInstance() const { return m_instance; }

    // The four exports.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
    HRESULT CanUnloadNow() const { return m_lockCount == 0 ? S_OK : S_FALSE; }
    // Each class's registry script, then the type library; the first failure is returned.
    HRESULT RegisterServer();
    // Removes what RegisterServer wrote, as far as it can; always S_OK.
    HRESULT UnregisterServer();

private:
    AfxComClassEntry* m_objectMap = nullptr;
    HINSTANCE m_instance = nullptr;
    GUID m_libid = GUID();
    bool m_hasTypeLib = false;
    volatile LONG m_lockCount = 0;
    CRITICAL_SECTION m_factoryLock;   // guards the creation of the class factories
};

// The module object of this DLL.
CComServerModule& AfxGetComModule();
