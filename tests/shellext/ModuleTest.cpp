// The COM module of each DLL: class object, lock count, creation rules, exports,
// version resource and the embedded type library, all through the real DLLs.
#include "ShellExtCases.h"
#include "afx/ComGuard.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using ShellHost::Extension;

namespace {

class ModuleTest : public ::testing::TestWithParam<ShellExtCase> {
protected:
    ModuleTest() : m_extension(dllPath(GetParam())), m_clsid(guidOf(GetParam().clsid)) {}

    IClassFactory* factory()
    {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, m_extension.getClassObject(m_clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        return factory;
    }

    Extension m_extension;
    CLSID m_clsid;
};

std::string caseName(const ::testing::TestParamInfo<ShellExtCase>& info) { return info.param.dll; }

std::string narrow(BSTR text)
{
    if (!text) return "(null)";
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, NULL, 0, NULL, NULL);
    std::string result(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &result[0], n, NULL, NULL);
    SysFreeString(text);
    result.resize(n - 1);
    return result;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Dlls, ModuleTest, ::testing::ValuesIn(kShellExtCases), caseName);

TEST_P(ModuleTest, OneClassFactoryForEveryRequest)
{
    IClassFactory* first = factory();
    IClassFactory* second = factory();
    IUnknown* unknown = nullptr;
    EXPECT_EQ(S_OK, m_extension.getClassObject(m_clsid, IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(first, second);
    EXPECT_EQ(static_cast<IUnknown*>(first), unknown);
    unknown->Release();
    second->Release();
    first->Release();
}

// Every round loads the DLL afresh, so that its threads race for the first factory:
// no other reference may keep it loaded in between, hence no fixture DLL here.
class ModuleLoadTest : public ::testing::TestWithParam<ShellExtCase> {};

INSTANTIATE_TEST_SUITE_P(Dlls, ModuleLoadTest, ::testing::ValuesIn(kShellExtCases), caseName);

TEST_P(ModuleLoadTest, OneClassFactoryWhenManyThreadsAskAtOnce)
{
    const int kThreads = 16;
    const std::string path = dllPath(GetParam());
    const CLSID clsid = guidOf(GetParam().clsid);
    for (int round = 0; round < 25; ++round) {
        ASSERT_EQ(nullptr, GetModuleHandleA(path.c_str())) << "still loaded before round " << round;
        Extension extension(path);
        HANDLE go = CreateEventA(NULL, TRUE, FALSE, NULL);
        IClassFactory* got[kThreads] = {};
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&, i] {
                WaitForSingleObject(go, INFINITE);
                extension.getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&got[i]));
            });
        SetEvent(go);
        for (std::thread& t : threads) t.join();
        CloseHandle(go);
        for (int i = 0; i < kThreads; ++i) EXPECT_EQ(got[0], got[i]) << "round " << round;
        EXPECT_EQ(S_FALSE, extension.canUnloadNow());
        for (IClassFactory* f : got)
            if (f) f->Release();
        EXPECT_EQ(S_OK, extension.canUnloadNow()) << "round " << round;
    }
}

TEST_P(ModuleTest, OtherClassIdsAreRefused)
{
    void* object = reinterpret_cast<void*>(1);
    for (const ShellExtCase& other : kShellExtCases) {
        if (std::string(other.dll) == GetParam().dll) continue;
        object = reinterpret_cast<void*>(1);
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
                  m_extension.getClassObject(guidOf(other.clsid), IID_IClassFactory, &object)) << other.dll;
        EXPECT_EQ(nullptr, object);
    }
    EXPECT_EQ(E_POINTER, m_extension.getClassObject(m_clsid, IID_IClassFactory, nullptr));
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, m_extension.getClassObject(m_clsid, IID_IDispatch, &object));
    EXPECT_EQ(nullptr, object);
}

TEST_P(ModuleTest, CanUnloadNowFollowsObjectsFactoryReferencesAndLockServer)
{
    EXPECT_EQ(S_OK, m_extension.canUnloadNow());
    IClassFactory* f = factory();
    EXPECT_EQ(S_FALSE, m_extension.canUnloadNow()) << "an outside reference to the factory";

    IShellExtInit* object = nullptr;
    ASSERT_EQ(S_OK, f->CreateInstance(NULL, IID_IShellExtInit, reinterpret_cast<void**>(&object)));
    f->Release();
    EXPECT_EQ(S_FALSE, m_extension.canUnloadNow()) << "a live object";
    IContextMenu* menu = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    object->Release();
    EXPECT_EQ(S_FALSE, m_extension.canUnloadNow()) << "still referenced through IContextMenu";
    menu->Release();
    EXPECT_EQ(S_OK, m_extension.canUnloadNow());

    f = factory();
    EXPECT_EQ(S_OK, f->LockServer(TRUE));
    f->Release();
    EXPECT_EQ(S_FALSE, m_extension.canUnloadNow()) << "LockServer(TRUE)";
    f = factory();
    EXPECT_EQ(S_OK, f->LockServer(FALSE));
    f->Release();
    EXPECT_EQ(S_OK, m_extension.canUnloadNow());
}

TEST_P(ModuleTest, CreationRefusesAggregationAndUnknownInterfaces)
{
    IClassFactory* f = factory();
    IUnknown* outer = reinterpret_cast<IUnknown*>(f);   // any non-null outer object
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, f->CreateInstance(outer, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, f->CreateInstance(outer, IID_IShellExtInit, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, f->CreateInstance(NULL, IID_IUnknown, nullptr));

    // The type library names IQuenbyShlApp the default interface; the object does
    // not answer it. A failed creation leaves no lock behind.
    for (const GUID& iid : {guidOf(GetParam().iid), IID_IDispatch, IID_IClassFactory}) {
        object = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, f->CreateInstance(NULL, iid, &object));
        EXPECT_EQ(nullptr, object);
    }
    f->Release();
    EXPECT_EQ(S_OK, m_extension.canUnloadNow());
}

TEST_P(ModuleTest, ObjectAnswersItsTwoInterfacesWithOneIdentity)
{
    IClassFactory* f = factory();
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, f->CreateInstance(NULL, IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    f->Release();
    IShellExtInit* init = nullptr;
    IContextMenu* menu = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)));
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    IUnknown* again = nullptr;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)));
    EXPECT_EQ(unknown, again);
    EXPECT_EQ(static_cast<IUnknown*>(init), unknown);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, menu->QueryInterface(guidOf(GetParam().iid), &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, menu->QueryInterface(IID_IUnknown, nullptr));
    again->Release();
    menu->Release();
    init->Release();
    EXPECT_EQ(0u, unknown->Release());
}

TEST_P(ModuleTest, ExportsByOrdinalOneToFour)
{
    const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
    for (int ordinal = 1; ordinal <= 4; ++ordinal) {
        FARPROC byName = GetProcAddress(m_extension.module(), names[ordinal - 1]);
        ASSERT_NE(nullptr, byName) << names[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(m_extension.module(), MAKEINTRESOURCEA(ordinal))) << ordinal;
    }
    EXPECT_EQ(nullptr, GetProcAddress(m_extension.module(), MAKEINTRESOURCEA(5)));
}

TEST_P(ModuleTest, VersionResourceMarksASelfRegisteringLibrary)
{
    std::string path = dllPath(GetParam());
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwProductVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), fixed->dwProductVersionLS);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\OLESelfRegister",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ("", text);
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ("1.0.0.1", text);
}

TEST_P(ModuleTest, TypeLibraryReadsBackThroughOleAutomation)
{
    const ShellExtCase& c = GetParam();
    std::string path = dllPath(c);
    std::wstring wide(path.begin(), path.end());
    ITypeLib* lib = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx(wide.c_str(), REGKIND_NONE, &lib));

    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(S_OK, lib->GetLibAttr(&libAttr));
    EXPECT_TRUE(IsEqualGUID(guidOf(c.libid), libAttr->guid));
    EXPECT_EQ(1, libAttr->wMajorVerNum);
    EXPECT_EQ(0, libAttr->wMinorVerNum);
    EXPECT_EQ(0u, libAttr->lcid);
    EXPECT_EQ(SYS_WIN32, libAttr->syskind);
    lib->ReleaseTLibAttr(libAttr);
    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(S_OK, lib->GetDocumentation(-1, &name, &help, NULL, NULL));
    EXPECT_EQ(c.typeLibName, narrow(name));
    EXPECT_EQ(c.typeLibHelp, narrow(help));
    ASSERT_EQ(2u, lib->GetTypeInfoCount());

    ITypeInfo* interfaceInfo = nullptr;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(guidOf(c.iid), &interfaceInfo));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, interfaceInfo->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    EXPECT_EQ(0, attr->cFuncs);
    EXPECT_EQ(1, attr->cImplTypes);
    EXPECT_EQ(0, attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE));
    interfaceInfo->ReleaseTypeAttr(attr);
    ASSERT_EQ(S_OK, interfaceInfo->GetDocumentation(MEMBERID_NIL, &name, &help, NULL, NULL));
    EXPECT_EQ("IQuenbyShlApp", narrow(name));
    EXPECT_EQ("IQuenbyShlApp Interface", narrow(help));
    // Its base is IUnknown of the standard OLE library, not a copy in ours.
    HREFTYPE baseRef;
    ITypeInfo* base = nullptr;
    ASSERT_EQ(S_OK, interfaceInfo->GetRefTypeOfImplType(0, &baseRef));
    ASSERT_EQ(S_OK, interfaceInfo->GetRefTypeInfo(baseRef, &base));
    ASSERT_EQ(S_OK, base->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(IID_IUnknown, attr->guid));
    base->ReleaseTypeAttr(attr);
    ITypeLib* baseLib = nullptr;
    UINT index = 0;
    ASSERT_EQ(S_OK, base->GetContainingTypeLib(&baseLib, &index));
    ASSERT_EQ(S_OK, baseLib->GetLibAttr(&libAttr));
    EXPECT_EQ("{00020430-0000-0000-C000-000000000046}", ShellHost::guidText(libAttr->guid)) << "stdole2.tlb";
    baseLib->ReleaseTLibAttr(libAttr);
    baseLib->Release();
    base->Release();

    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(guidOf(c.clsid), &coclass));
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(1, attr->cImplTypes);
    coclass->ReleaseTypeAttr(attr);
    ASSERT_EQ(S_OK, coclass->GetDocumentation(MEMBERID_NIL, &name, &help, NULL, NULL));
    EXPECT_EQ("QuenbyShlApp", narrow(name));
    EXPECT_EQ("QuenbyShlApp Class", narrow(help));
    INT flags = 0;
    ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(0, &flags));
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
    HREFTYPE implRef;
    ITypeInfo* impl = nullptr;
    ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(0, &implRef));
    ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(implRef, &impl));
    ASSERT_EQ(S_OK, impl->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(guidOf(c.iid), attr->guid));
    impl->ReleaseTypeAttr(attr);
    impl->Release();
    coclass->Release();
    interfaceInfo->Release();
    lib->Release();
}

TEST(ComGuard, ExceptionsBecomeResults)
{
    EXPECT_EQ(E_OUTOFMEMORY, AfxComGuard([]() -> HRESULT { throw std::bad_alloc(); }));
    EXPECT_EQ(E_UNEXPECTED, AfxComGuard([]() -> HRESULT { throw std::runtime_error("x"); }));
    EXPECT_EQ(E_UNEXPECTED, AfxComGuard([]() -> HRESULT { throw 7; }));
    EXPECT_EQ(S_FALSE, AfxComGuard([] { return S_FALSE; }));
}
