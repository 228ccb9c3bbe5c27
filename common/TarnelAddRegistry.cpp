#include "common/TarnelAddRegistry.h"

#include "afx/AfxMessageBox.h"
#include "common/RegistryValue.h"
#include "common/TarnelErrorMgr.h"
#include "common/TarnelMessageMgr.h"
#include "common/TarnelPolicyMgr.h"

#include <cstdlib>

const CString runtimeJars[6] = {"tarnel_provider.jar", "tarnel_crypto.jar", "tarnel_app.jar",
                                "jdic.jar",            "swingx.jar",        "syntheticaAll.jar"};

namespace {

const char* const kNativeLibraries[] = {"velmjnidll.dll", "RegistryJni2.dll"};

BOOL fail(bool show, const CString& text)
{
    if (show) AfxMessageBox(text, MB_OK | MB_ICONERROR);
    return FALSE;
}

CString message(const char* key) { return TarnelMessageMgr().getMessage(key); }

// Windows keeps at most 32,767 characters in a variable, its terminator included, and
// its C runtime refuses a longer value. Wine's reports success and keeps a cut value,
// so a PATH grown past the limit would silently lose its entries: refuse it here.
const int kMaxEnvironmentChars = 32767;

// Sets one variable from "NAME=value" through the C runtime, which keeps the process
// environment in step, so that both the processes started later and the libraries
// loaded later see the value.
bool putEnvironment(const CString& assignment)
{
    const char* value = static_cast<LPCSTR>(assignment) + assignment.Find('=') + 1;
    int chars = MultiByteToWideChar(CP_ACP, 0, value, -1, NULL, 0);
    if (chars == 0 || chars > kMaxEnvironmentChars) return false;
    return _putenv(assignment) == 0;
}

}  // namespace

CString TarnelAddRegistry::GetUserLanguage()
{
    CString language;
    if (RegistryValue::readText(HKEY_CURRENT_USER, "Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg",
                                "/Quenby/Language", language))
        return language;

    CString windowsLanguage;
    if (RegistryValue::readText(HKEY_CURRENT_USER, "Control Panel\\International", "sLanguage",
                                windowsLanguage))
        return windowsLanguage.MakeLower().Left(2);

    return CString();
}

bool TarnelAddRegistry::checkFile(CString path, bool show)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
    fail(show, message("ERROR_MISSING_FILE") + " (" + path + ")\n" + message("PLEASE_REINSTALL_TARNEL"));
    return false;
}

BOOL TarnelAddRegistry::TestTarnelInstall() { return TestTarnelInstall(true); }

BOOL TarnelAddRegistry::TestTarnelInstall(bool show)
{
    TarnelPolicyMgr policies;
    CString javaHome = policies.getJavaHome();
    if (javaHome.GetLength() < 2) return fail(show, message("JAVA_NOT_FOUND"));
    CString directory = policies.getRuntimeLibDir();
    if (directory.GetLength() < 2) return fail(show, message("TARNEL_DLL_NOT_FOUND"));

    CString path(std::getenv("PATH"));
    if (path.Find(directory) < 0 && !putEnvironment("PATH=" + directory + ";" + path))
        return fail(show, message("ERROR_SETTING_PATH"));
    if (!putEnvironment(getClasspath())) return fail(show, message("ERROR_SETTING_CLASSPATH"));

    for (const CString& jar : runtimeJars)
        if (!checkFile(directory + jar, show)) return FALSE;
    for (const char* library : kNativeLibraries)
        if (!checkFile(directory + library, show)) return FALSE;

    DWORD copyError = policies.copyJavaPolicies(directory, javaHome);
    if (copyError == 0) return TRUE;
    return fail(show, message("ERROR_COPY_POLICY_FILES") + "\n\n" + directory + "\n" + javaHome + "\n" +
                          TarnelErrorMgr().formatError(copyError));
}

CString TarnelAddRegistry::getClasspath()
{
    CString directory = TarnelPolicyMgr().getRuntimeLibDir();
    CString classpath("CLASSPATH=");
    for (const CString& jar : runtimeJars) classpath += directory + jar + ";";
    return classpath;
}

// The installer's registry writers.

namespace {

const char kTarnelKey[] = "SOFTWARE\\Tarnel";
const char kOutlookSettings[] = "Software\\Microsoft\\Office\\Outlook";
const char kAddinKey[] = "Software\\Microsoft\\Office\\Outlook\\Addins\\Tarnelmail.Connect";
const char* const kOfficeVersions[] = {"13.0", "12.0", "11.0", "10.0"};
const char kNoOffice[] = "0";
// Key paths are limited to what a 260-character buffer holds; profile names to 260.
const int kMaxKeyPathChars = MAX_PATH - 1;
const DWORD kProfileNameChars = MAX_PATH + 1;

BOOL registryFailure(const CString& text)
{
    AfxMessageBox(text, MB_OK | MB_ICONERROR);
    return FALSE;
}

bool keyExists(HKEY root, const CString& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

CString TarnelAddRegistry::GetErrorText(DWORD code) { return TarnelErrorMgr().formatError(code); }

BOOL TarnelAddRegistry::CreateKey(HKEY root, const char* rootName, HKEY& key, const CString& keyPath)
{
    LONG status = keyPath.GetLength() > kMaxKeyPathChars
                      ? ERROR_FILENAME_EXCED_RANGE
                      : RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                        &key, nullptr);
    if (status == ERROR_SUCCESS) return TRUE;
    return registryFailure(CString("Registry failure. Could not create the registry key: ") + "\n" + rootName + "\\" +
                           keyPath + "\n" + "Reason: " + GetErrorText(status));
}

BOOL TarnelAddRegistry::CreateUsersKey(HKEY root, HKEY& key, CString keyPath)
{
    return CreateKey(root, "HKEY_USERS", key, keyPath);
}

BOOL TarnelAddRegistry::CreateMachineKey(HKEY& key, CString keyPath)
{
    return CreateKey(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", key, keyPath);
}

BOOL TarnelAddRegistry::SetStringValue(HKEY key, DWORD type, CString keyPath, CString valueName, CString text)
{
    LONG status = RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(static_cast<const char*>(text)),
                                 text.GetLength() + 1);
    if (status == ERROR_SUCCESS) return TRUE;
    RegCloseKey(key);
    return registryFailure("Registry failure. Could not add value to the registry key: " + keyPath + "\n" + "Name : " +
                           valueName + "\n" + "Value: " + text + "\n" + "Reason: " + GetErrorText(status));
}

BOOL TarnelAddRegistry::SetDwordValue(HKEY key, CString keyPath, CString valueName, DWORD number)
{
    LONG status = RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    if (status == ERROR_SUCCESS) return TRUE;
    RegCloseKey(key);
    return registryFailure("Registry failure. Could not add value to the registry key: " + keyPath + "\n" + "Name : " +
                           valueName + "\n" + "\n" + "Reason: " + GetErrorText(status));
}

BOOL TarnelAddRegistry::AddTarnelDll(CString sRuntimeLib)
{
    HKEY key;
    if (!CreateMachineKey(key, kTarnelKey)) return FALSE;
    if (!SetStringValue(key, REG_SZ, kTarnelKey, "RuntimeLib", sRuntimeLib)) return FALSE;  // closed it
    RegCloseKey(key);
    return TRUE;
}

BOOL TarnelAddRegistry::IsOutlookOfficeInstalled(CString version)
{
    // Only whether the value can be read counts, not its type or content.
    CString path;
    return RegistryValue::readText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office\\" + version + "\\Outlook\\InstallRoot",
                                   "Path", path);
}

CString TarnelAddRegistry::GetOfficeVersion()
{
    for (const char* version : kOfficeVersions)
        if (IsOutlookOfficeInstalled(version)) return version;
    return kNoOffice;
}

BOOL TarnelAddRegistry::WriteOutlookAddinValues(HKEY key)
{
    // A failed write has closed the key already.
    if (!SetStringValue(key, REG_SZ, kAddinKey, "FriendlyName", "Quenby") ||
        !SetStringValue(key, REG_SZ, kAddinKey, "Description", "Quenby Add-In") ||
        !SetDwordValue(key, kAddinKey, "LoadBehavior", 3) || !SetDwordValue(key, kAddinKey, "CommandLineSafe", 0))
        return FALSE;
    RegCloseKey(key);

    if (GetOfficeVersion() != kNoOffice) return TRUE;
    return registryFailure(CString("Microsoft Office 9.0/10.0/11.0 not found on this PC.\n") +
                           "Quenby Plug-in for Office will not be installed. ");
}

BOOL TarnelAddRegistry::AddOutlookInfos(CString /*language*/)
{
    // With no subkey the predefined handle itself comes back, which may enumerate.
    HKEY users;
    if (RegOpenKeyExA(HKEY_USERS, nullptr, 0, KEY_QUERY_VALUE, &users) != ERROR_SUCCESS) return FALSE;

    BOOL written = FALSE;
    BOOL failed = FALSE;
    char profile[kProfileNameChars];
    for (DWORD index = 0;; ++index) {
        DWORD length = kProfileNameChars;
        if (RegEnumKeyExA(users, index, profile, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        // Only a profile with Outlook settings gets the add-in.
        if (!keyExists(HKEY_USERS, CString(profile) + "\\" + kOutlookSettings)) continue;
        HKEY addin;
        if (!CreateUsersKey(HKEY_USERS, addin, CString(profile) + "\\" + kAddinKey) || !WriteOutlookAddinValues(addin)) {
            failed = TRUE;
            break;
        }
        written = TRUE;
    }
    RegCloseKey(users);
    return written && !failed;
}
