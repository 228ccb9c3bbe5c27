// The cached class factory of an in-process server. The object map holds one
// reference that keeps no module lock; every further reference holds one lock count,
// so DllCanUnloadNow says no while anybody outside holds the factory.
#pragma once

#include "afx/ComModule.h"

class CComClassFactory : public IClassFactory {
public:
    explicit CComClassFactory(AfxComCreator create);   // one reference: the map's

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    virtual ~CComClassFactory();

    AfxComCreator m_create;
    volatile LONG m_refs;
    // The factory is reached from any thread: the count and the module lock that goes
    // with its step from 1 to 2 and back change together under this lock.
    CRITICAL_SECTION m_refLock;
};
