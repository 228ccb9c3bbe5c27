#include "afx/ComClassFactory.h"

#include "afx/ComGuard.h"

CComClassFactory::CComClassFactory(AfxComCreator create) : m_create(create), m_refs(1)
{
    InitializeCriticalSection(&m_refLock);
}

CComClassFactory::~CComClassFactory()
{
    DeleteCriticalSection(&m_refLock);
}

STDMETHODIMP CComClassFactory::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CComClassFactory::AddRef()
{
    EnterCriticalSection(&m_refLock);
    LONG refs = InterlockedIncrement(&m_refs);
    if (refs == 2) AfxGetComModule().Lock();
    LeaveCriticalSection(&m_refLock);
    return refs;
}

STDMETHODIMP_(ULONG) CComClassFactory::Release()
{
    EnterCriticalSection(&m_refLock);
    LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 1) AfxGetComModule().Unlock();
    LeaveCriticalSection(&m_refLock);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP CComClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return AfxComGuard([&] { return m_create(outer, iid, object); });
}

STDMETHODIMP CComClassFactory::LockServer(BOOL lock)
{
    if (lock)
        AfxGetComModule().Lock();
    else
        AfxGetComModule().Unlock();
    return S_OK;
}
