#include "afx/ComModule.h"

#include "afx/ComClassFactory.h"
#include "afx/ComGuard.h"
#include "afx/ComRegistrar.h"
#include "afx/ComTypeLib.h"

CComServerModule& AfxGetComModule()
{
    static CComServerModule module;
    return module;
}

void CComServerModule::Init(AfxComClassEntry* objectMap, HINSTANCE instance, const GUID* libid)
{
    m_objectMap = objectMap;
    m_instance = instance;
    m_hasTypeLib = libid != nullptr;
    if (libid) m_libid = *libid;
    InitializeCriticalSection(&m_factoryLock);
}

void CComServerModule::Term()
{
    for (AfxComClassEntry* entry = m_objectMap; entry && entry->clsid; ++entry) {
        if (entry->cachedFactory) entry->cachedFactory->Release();
        entry->cachedFactory = nullptr;
    }
    m_objectMap = nullptr;
    DeleteCriticalSection(&m_factoryLock);
}

HRESULT CComServerModule::GetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    for (AfxComClassEntry* entry = m_objectMap; entry && entry->clsid; ++entry) {
        if (!IsEqualCLSID(clsid, *entry->clsid)) continue;
        if (!entry->cachedFactory) {
            // Tested again under the lock: two threads asking at once get one factory.
            EnterCriticalSection(&m_factoryLock);
            if (!entry->cachedFactory)
                entry->cachedFactory = new (std::nothrow) CComClassFactory(entry->createInstance);
            LeaveCriticalSection(&m_factoryLock);
            if (!entry->cachedFactory) return E_OUTOFMEMORY;
        }
        return entry->cachedFactory->QueryInterface(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CComServerModule::RegisterServer()
{
    for (AfxComClassEntry* entry = m_objectMap; entry && entry->clsid; ++entry) {
        HRESULT hr = AfxApplyRegistryScript(m_instance, entry->registryScriptId, TRUE);
        if (FAILED(hr)) return hr;
    }
    return m_hasTypeLib ? AfxRegisterTypeLib(m_instance) : S_OK;
}

HRESULT CComServerModule::UnregisterServer()
{
    for (AfxComClassEntry* entry = m_objectMap; entry && entry->clsid; ++entry)
        AfxApplyRegistryScript(m_instance, entry->registryScriptId, FALSE);
    if (m_hasTypeLib) AfxUnregisterTypeLib(m_instance);
    return S_OK;
}
