// The catch-all at every COM entry point: a C++ exception must never unwind into the
// host (Explorer, a file dialog, regsvr32), so each one becomes an HRESULT here.
#pragma once

#include <windows.h>
#include <new>

template <class Body>
HRESULT AfxComGuard(Body body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
