// Registry and installation checks of the support library.
#pragma once

#include "afx/CString.h"

// The runtime jars of the installation directory, in class-path order.
extern const CString runtimeJars[6];

class TarnelAddRegistry {
public:
    virtual ~TarnelAddRegistry() {}

    // The Java application's language preference as stored, else the first two
    // letters of the Windows language abbreviation in lower case, else empty.
    CString GetUserLanguage();

    // True when a file-system entry of that path exists; otherwise false, after an
    // error box naming the path when show is set.
    bool checkFile(CString path, bool show);
    // Finds Java and the installation directory, puts the directory in front of PATH
    // (unless PATH holds it), sets CLASSPATH, checks the jars and native libraries and
    // brings the Java policy jars up to date. FALSE at the first step that fails, after
    // one error box when show is set. PATH and CLASSPATH stay set in this process.
    BOOL TestTarnelInstall(bool show);
    // The same, showing every failure.
    BOOL TestTarnelInstall();
    // "CLASSPATH=" and each runtime jar of the installation directory followed by ";".
    CString getClasspath();
};
