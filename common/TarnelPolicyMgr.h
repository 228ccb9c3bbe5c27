// The installation directory, the Java runtime's home, and the Java policy jars.
#pragma once

#include "afx/CString.h"

class TarnelPolicyMgr {
public:
    virtual ~TarnelPolicyMgr() {}

    // The path ending in one backslash; a double-byte character whose trail byte is
    // 0x5C is not a backslash. An empty path gives "\".
    CString addTrailingBackslash(CString path);
    // The text before the first "tarnel.dll" in HKLM SOFTWARE\Tarnel RuntimeLib, with a
    // trailing backslash; "\" when the value does not hold it; empty when unreadable.
    CString getRuntimeLibDir();
    // VELMORA_JAVA_HOME, else the JavaHome of the registered runtime of version "1.5" or
    // later; with a trailing backslash, or empty.
    CString getJavaHome();
    // Copies each policy jar whose digest differs into the runtime's lib\security;
    // 0, or the error code of the first copy that failed.
    DWORD copyJavaPolicies(CString tarnelDirectory, CString javaHomeDirectory);
};
