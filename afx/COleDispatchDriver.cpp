#include "afx/COleDispatchDriver.h"

#include <cstdarg>
#include <vector>

namespace {

const DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

BOOL failed(COleException* error, HRESULT status)
{
    if (error) error->m_sc = status;
    return FALSE;
}

// The arguments as IDispatch wants them: the last one first.
std::vector<VARIANT> packArguments(const char* paramInfo, va_list args)
{
    std::vector<VARIANT> packed;
    for (const char* type = paramInfo; *type; ++type) {
        VARIANT value;
        VariantInit(&value);
        value.vt = static_cast<VARTYPE>(*type);
        switch (value.vt) {
        case VT_I2: value.iVal = static_cast<SHORT>(va_arg(args, int)); break;
        case VT_I4: value.lVal = va_arg(args, long); break;
        case VT_BOOL: value.boolVal = va_arg(args, BOOL) ? VARIANT_TRUE : VARIANT_FALSE; break;
        case VT_BSTR: value.bstrVal = CString(va_arg(args, const char*)).AllocSysString(); break;
        default:
            for (VARIANT& done : packed) VariantClear(&done);
            throw new COleException(E_INVALIDARG);
        }
        packed.insert(packed.begin(), value);
    }
    return packed;
}

void storeResult(VARIANT& answer, VARTYPE resultType, void* result)
{
    HRESULT status = answer.vt == resultType ? S_OK : VariantChangeType(&answer, &answer, 0, resultType);
    if (FAILED(status)) {
        VariantClear(&answer);
        throw new COleException(status);
    }
    switch (resultType) {
    case VT_BOOL: *static_cast<BOOL*>(result) = answer.boolVal != 0; break;
    case VT_I2: *static_cast<short*>(result) = answer.iVal; break;
    case VT_I4: *static_cast<long*>(result) = answer.lVal; break;
    default:
        VariantClear(&answer);
        throw new COleException(E_INVALIDARG);
    }
}

}  // namespace

BOOL COleDispatchDriver::CreateDispatch(const char* progId, COleException* error)
{
    BSTR wideProgId = CString(progId).AllocSysString();
    CLSID clsid;
    HRESULT status = wideProgId ? CLSIDFromProgID(wideProgId, &clsid) : E_OUTOFMEMORY;
    SysFreeString(wideProgId);
    if (FAILED(status)) return failed(error, status);
    return CreateDispatch(clsid, error);
}

BOOL COleDispatchDriver::CreateDispatch(REFCLSID clsid, COleException* error)
{
    ReleaseDispatch();
    IUnknown* object = nullptr;
    HRESULT status = CoCreateInstance(clsid, nullptr, kAnyServer, IID_IUnknown, reinterpret_cast<void**>(&object));
    if (status == E_INVALIDARG)  // systems without remote activation
        status = CoCreateInstance(clsid, nullptr, kAnyServer & ~CLSCTX_REMOTE_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&object));
    if (FAILED(status)) return failed(error, status);

    status = OleRun(object);
    if (SUCCEEDED(status))
        status = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_lpDispatch));
    object->Release();
    if (FAILED(status)) {
        m_lpDispatch = nullptr;
        return failed(error, status);
    }
    m_bAutoRelease = TRUE;
    return TRUE;
}

void COleDispatchDriver::ReleaseDispatch()
{
    if (m_lpDispatch && m_bAutoRelease) m_lpDispatch->Release();
    m_lpDispatch = nullptr;
}

void COleDispatchDriver::InvokeHelper(DISPID dispId, WORD flags, VARTYPE resultType, void* result,
                                      const char* paramInfo, ...)
{
    if (!m_lpDispatch) throw new COleException(E_POINTER);

    va_list args;
    va_start(args, paramInfo);
    std::vector<VARIANT> arguments;
    try {
        arguments = packArguments(paramInfo, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);

    DISPPARAMS call = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    VARIANT answer;
    VariantInit(&answer);
    EXCEPINFO exception = {};
    UINT badArgument = 0;
    HRESULT status = m_lpDispatch->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, flags, &call,
                                          resultType == VT_EMPTY ? nullptr : &answer, &exception, &badArgument);
    for (VARIANT& argument : arguments) VariantClear(&argument);

    if (status == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        VariantClear(&answer);
        throw new COleDispatchException(exception);
    }
    if (FAILED(status)) {
        VariantClear(&answer);
        throw new COleException(status);
    }
    if (resultType != VT_EMPTY) storeResult(answer, resultType, result);
    VariantClear(&answer);
}
