#include "ActivationRecorder.h"

#include <objbase.h>

namespace {

typedef HRESULT(STDAPICALLTYPE* CoCreateInstanceFunction)(REFCLSID, IUnknown*, DWORD, REFIID, void**);

bool recording;
bool rejectingRemote;
std::vector<DWORD> asked;

HRESULT STDAPICALLTYPE recordedCoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                                                void** object)
{
    if (recording) asked.push_back(context);
    if (rejectingRemote && (context & CLSCTX_REMOTE_SERVER)) {
        *object = nullptr;
        return E_INVALIDARG;
    }
    // The real function by its export: naming it here would go through the recorder.
    static CoCreateInstanceFunction real = reinterpret_cast<CoCreateInstanceFunction>(
        GetProcAddress(GetModuleHandleA("ole32.dll"), "CoCreateInstance"));
    return real(clsid, outer, context, iid, object);
}

}  // namespace

// The code calls CoCreateInstance through its import pointer (ole32's functions are
// declared dllimport), so what ld wraps is that pointer: the link option
// --wrap=_imp__CoCreateInstance@20 (ld matches i686 names without their leading
// underscore) sends every use of it to this one.
extern "C" void* wrappedCoCreateInstanceImport __asm__("___wrap__imp__CoCreateInstance@20");
void* wrappedCoCreateInstanceImport = reinterpret_cast<void*>(&recordedCoCreateInstance);

ActivationRecorder::ActivationRecorder(bool rejectRemote)
{
    asked.clear();
    recording = true;
    rejectingRemote = rejectRemote;
}

ActivationRecorder::~ActivationRecorder()
{
    recording = false;
    rejectingRemote = false;
}

std::vector<DWORD> ActivationRecorder::contexts() const { return asked; }
