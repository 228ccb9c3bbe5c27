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

    // The installer's registry writers. Every failure is shown at once in an error box
    // with a fixed English text and reported as FALSE; nothing written is undone.

    // Writes HKLM SOFTWARE\Tarnel RuntimeLib (REG_SZ) = sRuntimeLib.
    BOOL AddTarnelDll(CString sRuntimeLib);
    // "13.0", "12.0", "11.0" or "10.0": the first of them whose Outlook is installed,
    // else "0". Shows nothing.
    CString GetOfficeVersion();
    // TRUE when HKLM SOFTWARE\Microsoft\Office\<version>\Outlook\InstallRoot holds a
    // value Path that fits in 128 bytes. Shows nothing.
    BOOL IsOutlookOfficeInstalled(CString version);
    // Writes the Outlook add-in key into every profile of HKEY_USERS that has Outlook
    // settings. TRUE when at least one profile was written and nothing failed; the
    // first failure ends the work. The language changes nothing.
    BOOL AddOutlookInfos(CString language);
    // Writes the four add-in values into the key and closes it, then checks that
    // Office with Outlook is still there.
    BOOL WriteOutlookAddinValues(HKEY key);
    // Create or open a key with KEY_WRITE access; the caller closes it. A path of more
    // than 259 characters is refused, with the same box.
    BOOL CreateUsersKey(HKEY root, HKEY& key, CString keyPath);
    BOOL CreateMachineKey(HKEY& key, CString keyPath);
    // Write one value; after a failure the key is closed. keyPath only names the key
    // in the failure text.
    BOOL SetStringValue(HKEY key, DWORD type, CString keyPath, CString valueName, CString text);
    BOOL SetDwordValue(HKEY key, CString keyPath, CString valueName, DWORD number);
    // The system's text for a Windows error code, as the failure boxes show it.
    CString GetErrorText(DWORD code);

private:
    BOOL CreateKey(HKEY root, const char* rootName, HKEY& key, const CString& keyPath);
};
