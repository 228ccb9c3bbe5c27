// Registry and installation checks of the support library.
#pragma once

#include "afx/CString.h"

class TarnelAddRegistry {
public:
    virtual ~TarnelAddRegistry() {}

    // The Java application's language preference as stored, else the first two
    // letters of the Windows language abbreviation in lower case, else empty.
    CString GetUserLanguage();
};
