// Late-bound driver of an automation object: created by ProgID, called by DISPID.
#pragma once

#include "afx/CException.h"

#include <ole2.h>

// Argument types for InvokeHelper, one character per argument, in call order.
#define VTS_NONE ""
#define VTS_I2 "\x02"    // short
#define VTS_I4 "\x03"    // long
#define VTS_BOOL "\x0B"  // BOOL
#define VTS_BSTR "\x08"  // const char*, sent as a new BSTR in the ANSI code page

class COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    virtual ~COleDispatchDriver() { ReleaseDispatch(); }

    // Creates the object (in-process, handler, local or remote server; once more
    // without remote when that is refused as an invalid argument), makes sure it
    // runs and takes its IDispatch. FALSE when it cannot, with nothing held and the
    // failing status in *error when given; never throws.
    BOOL CreateDispatch(const char* progId, COleException* error = nullptr);
    BOOL CreateDispatch(REFCLSID clsid, COleException* error = nullptr);

    // Releases the object, when one is held and this driver owns it.
    void ReleaseDispatch();

    // Calls the member by DISPID. paramInfo lists the argument types (VTS_...), the
    // arguments follow it. resultType is VT_EMPTY (no result asked for), VT_BOOL
    // (BOOL*), VT_I2 (short*) or VT_I4 (long*); another type of answer is converted.
    // A call that fails throws COleDispatchException* when the object reports an
    // exception, else COleException* with the failing status.
    void InvokeHelper(DISPID dispId, WORD flags, VARTYPE resultType, void* result, const char* paramInfo,
                      ...);

    LPDISPATCH m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;

    COleDispatchDriver(const COleDispatchDriver&) = delete;
    COleDispatchDriver& operator=(const COleDispatchDriver&) = delete;
};
