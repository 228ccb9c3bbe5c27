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

    // Through the C runtime, which keeps the process environment in step, so that
    // both the processes started later and the libraries loaded later see the values.
    CString path(std::getenv("PATH"));
    if (path.Find(directory) < 0 && _putenv("PATH=" + directory + ";" + path) != 0)
        return fail(show, message("ERROR_SETTING_PATH"));
    if (_putenv(getClasspath()) != 0) return fail(show, message("ERROR_SETTING_CLASSPATH"));

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
