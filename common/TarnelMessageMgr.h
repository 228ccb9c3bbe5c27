// The bilingual message catalogue: a text looked up by key in the user's language.
#pragma once

#include "afx/CString.h"

class TarnelMessageMgr {
public:
    virtual ~TarnelMessageMgr() {}

    // The text for the key in the user's language, read afresh from the registry.
    CString getMessage(CString key);
    // The text for the key in that language ("fr" exactly: French; else English);
    // the key itself when the catalogue has no text of two characters or more for it.
    CString getLanguageMessage(CString language, CString key);
};
