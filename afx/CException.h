// Exceptions of the MFC-style layer. They are thrown as pointers to new objects;
// whoever catches one owns it and ends it with Delete().
#pragma once

#include "afx/CString.h"

class CException {
public:
    virtual ~CException() {}
    void Delete() { delete this; }
};

// A failed OLE call: the status code it returned.
class COleException : public CException {
public:
    explicit COleException(SCODE sc) : m_sc(sc) {}
    SCODE m_sc;
};

// An exception that an automation object reported through EXCEPINFO.
class COleDispatchException : public CException {
public:
    // Takes the texts out of the record and frees them.
    explicit COleDispatchException(EXCEPINFO& info);

    WORD m_wCode;
    SCODE m_scError;
    CString m_strSource;
    CString m_strDescription;
    CString m_strHelpFile;
    DWORD m_dwHelpContext;
};
