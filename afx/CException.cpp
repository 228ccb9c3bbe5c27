#include "afx/CException.h"

namespace {

// The text of a BSTR in the ANSI code page; the BSTR is freed.
CString takeText(BSTR& text)
{
    CString result;
    if (text) {
        int length = WideCharToMultiByte(CP_ACP, 0, text, SysStringLen(text), nullptr, 0, nullptr, nullptr);
        if (length > 0) {
            WideCharToMultiByte(CP_ACP, 0, text, SysStringLen(text), result.GetBuffer(length), length,
                                nullptr, nullptr);
            result.ReleaseBuffer(length);
        }
        SysFreeString(text);
        text = nullptr;
    }
    return result;
}

}  // namespace

COleDispatchException::COleDispatchException(EXCEPINFO& info)
    : m_wCode(info.wCode),
      m_scError(info.scode),
      m_strSource(takeText(info.bstrSource)),
      m_strDescription(takeText(info.bstrDescription)),
      m_strHelpFile(takeText(info.bstrHelpFile)),
      m_dwHelpContext(info.dwHelpContext)
{
}
