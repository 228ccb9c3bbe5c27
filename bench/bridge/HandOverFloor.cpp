// The floor of the hand-over: a bare program that creates both automation objects
// and makes the bridge's calls (7, 9, 11 with 9's value and false, then launch with
// its whole command line), with nothing else around them.
#include <windows.h>
#include <ole2.h>

namespace {

IDispatch* create(const wchar_t* progId)
{
    CLSID clsid;
    IDispatch* object = nullptr;
    if (FAILED(CLSIDFromProgID(progId, &clsid))) return nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                     reinterpret_cast<void**>(&object));
    return object;
}

VARIANT call(IDispatch* object, DISPID id, VARIANT* arguments, UINT count, bool wantResult)
{
    DISPPARAMS params = {arguments, nullptr, count, 0};
    VARIANT result;
    VariantInit(&result);
    object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, wantResult ? &result : nullptr,
                   nullptr, nullptr);
    return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    OleInitialize(nullptr);
    IDispatch* visualAction = create(L"quenby.visualAction");
    if (!visualAction) return 1;
    VARIANT answer = call(visualAction, 7, nullptr, 0, true);
    if (answer.vt == VT_BOOL && !answer.boolVal) {
        VARIANT value = call(visualAction, 9, nullptr, 0, true);
        VARIANT arguments[2];
        VariantInit(&arguments[0]);
        arguments[0].vt = VT_BOOL;
        arguments[0].boolVal = VARIANT_FALSE;
        VariantInit(&arguments[1]);
        arguments[1].vt = VT_I4;
        arguments[1].lVal = value.lVal;
        call(visualAction, 11, arguments, 2, true);
    }
    IDispatch* tray = create(L"quenby.QuenbyTray");
    if (!tray) return 1;
    VARIANT line;
    VariantInit(&line);
    line.vt = VT_BSTR;
    line.bstrVal = SysAllocString(GetCommandLineW());
    call(tray, 1, &line, 1, false);
    VariantClear(&line);
    tray->Release();
    visualAction->Release();
    OleUninitialize();
    return 0;
}
