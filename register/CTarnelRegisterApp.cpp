#include "register/CTarnelRegisterApp.h"

#include "afx/AfxMessageBox.h"
#include "afx/AfxOle.h"
#include "afx/AnsiBoundary.h"
#include "common/InstallationDirectory.h"
#include "common/RegistryValue.h"
#include "common/TarnelAddRegistry.h"
#include "common/TarnelErrorMgr.h"
#include "common/TarnelPolicyMgr.h"
#include "register/RegisterDll.h"

#include <cstdio>
#include <cstdlib>

CTarnelRegisterApp theApp;

namespace {

const char kMarkerFile[] = "c:\\temp\\tarnel.txt";
const char* const kStaleJars[] = {"\\lib\\ext\\tarnel_app.jar", "\\lib\\ext\\tarnel_provider.jar",
                                  "\\lib\\ext\\tarnel_crypto.jar"};

void showUsage()
{
    AfxMessageBox(CString("Usage :\n") + "\t QuenbyRegister /SourceDir/\n\n" +
                      "\t Where SourceDir is the location of ressources to register",
                  MB_OK | MB_ICONERROR);
}

// Why the path of tarnel.dll may not be written as RuntimeLib, or an empty text when
// every program that reads it back can use it.
CString whyUnusable(bool commandLineCarried, const CString& sRuntimeLib)
{
    // Windows holds the command line in UTF-16, and its A copy gets '?' for a
    // character the ANSI code page lacks and a look-alike for others (a fullwidth
    // solidus becomes a '/' that ends the folder early): the folder found in it is
    // another one, or none.
    if (!commandLineCarried)
        return "The path of tarnel.dll cannot be read, as the command line holds characters outside the ANSI code "
               "page!";
    // The readers take the directory before the first "tarnel.dll" of the value, and
    // start nothing from one that is not absolute: a relative or driveless folder
    // would make the installation depend on whatever current folder a program has.
    if (!IsAbsoluteDirectory(TarnelPolicyMgr().addTrailingBackslash(sRuntimeLib.Left(sRuntimeLib.Find("tarnel.dll")))))
        return "The path of tarnel.dll must be a full path that starts with a drive or a network share!";
    // Every reader takes at most 128 bytes of the value, the terminating zero included
    // (a double-byte character counts twice). A longer path would be found by none of
    // them, and the installed product would fail at its first use.
    const int kMaxChars = static_cast<int>(RegistryValue::kValueBytes) - 1;
    CString why;
    if (sRuntimeLib.GetLength() > kMaxChars)
        why.Format("The path of tarnel.dll may hold at most %d characters!", kMaxChars);
    return why;
}

// The log file, opened for appending in text mode (a line feed is stored as CR LF).
bool appendLine(const CString& path, const CString& line)
{
    FILE* file = std::fopen(path, "a");
    if (!file) return false;
    bool written = std::fputs(line + "\n", file) >= 0;
    return std::fclose(file) == 0 && written;
}

}  // namespace

void CTarnelRegisterApp::WriteLog(CString line)
{
    try {
        // The marker pauses the installation at every step; looked for afresh each time.
        if (TarnelAddRegistry().checkFile(kMarkerFile, false)) {
            AfxMessageBox(line);
            return;
        }
        CString path;
        if (const char* appData = std::getenv("APPDATA")) path = CString(appData) + "\\";
        path += "tarnel.log";
        if (appendLine(path, line)) return;
    } catch (...) {
    }
    AfxMessageBox("Failure: Impossible to log this message in tarnel.log\n" + line);
}

BOOL CTarnelRegisterApp::InitInstance()
{
    // This tool uses neither OLE nor COM: it does not initialise them.
    try {
        WriteLog("0 - Load...");

        AfxEnableControlContainer();
        WriteLog("1 - Begin...");

        // Taken wide, as Windows holds it, and converted exactly; when it cannot be,
        // the A copy serves only to name the path that step 4 refuses.
        CString commandLine;
        const bool commandLineCarried = AfxWideToAnsiExact(GetCommandLineW(), commandLine);
        if (!commandLineCarried) commandLine = GetCommandLineA();
        WriteLog("2 - GetCommandLine()...");

        // The source directory lies between the first two slashes of the whole line,
        // program path included.
        int first = commandLine.Find('/');
        if (first < 0) {
            showUsage();
            return FALSE;
        }
        CString srcDir = commandLine.Mid(first + 1);
        int second = srcDir.Find('/');
        if (second < 0) {
            showUsage();
            return FALSE;
        }
        WriteLog("3 - srcDir.Find(...)");
        // One backslash at the end; under a double-byte code page a character whose
        // second byte is 0x5C is not one.
        TarnelPolicyMgr policyMgr;
        srcDir = policyMgr.addTrailingBackslash(srcDir.Left(second));

        TarnelAddRegistry addRegistry;
        CString sRuntimeLib = srcDir + "tarnel.dll";
        // A path that no reader could use is refused with a box of its own, and then
        // nothing is written.
        CString refusal = whyUnusable(commandLineCarried, sRuntimeLib);
        if (!refusal.IsEmpty())
            AfxMessageBox("Quenby Install Failure: " + refusal + "\n" + sRuntimeLib, MB_OK | MB_ICONERROR);
        BOOL added = refusal.IsEmpty() && addRegistry.AddTarnelDll(sRuntimeLib);
        WriteLog("4 - TarnelAddRegistry.AddTarnelDll(sRuntimeLib)...");
        if (!added) return FALSE;

        // From here on the installation directory is the one the other programs will
        // read back, not srcDir. Step 4 made sure that they can use it.
        CString tarnelDirectory = policyMgr.getRuntimeLibDir();
        CString javaHomeDirectory = policyMgr.getJavaHome();
        WriteLog("5 - TarnelPolicyMgr.getJavaHome()...");

        // Without a Java home (none found, or a lone backslash from an empty setting)
        // the paths would name a \lib\ext of the current drive, or a share on a host
        // called "lib", neither of them a Java runtime's: nothing is deleted there, and
        // no policy jar is copied into a lib\security that no runtime reads.
        const bool hasJavaHome = javaHomeDirectory.GetLength() > 1;
        for (int jar = 0; jar < 3; ++jar) {
            CString fileToDelete = javaHomeDirectory + kStaleJars[jar];
            if (hasJavaHome) DeleteFileA(fileToDelete);
            CString step;
            step.Format("%d - DeleteFile(fileToDelete)...", 6 + jar);
            WriteLog(step);
        }

        DWORD copyError =
            hasJavaHome ? policyMgr.copyJavaPolicies(tarnelDirectory, javaHomeDirectory) : ERROR_PATH_NOT_FOUND;
        WriteLog("9 - TarnelPolicyMgr.copyJavaPolicies(tarnelDirectory, javaHomeDirectory)...");
        if (copyError != 0) {
            AfxMessageBox("Impossible to copy the Java Policy Files to Java Lib Security Directory!\n\n" +
                              tarnelDirectory + "\n" + javaHomeDirectory + "\n" +
                              TarnelErrorMgr().formatError(copyError),
                          MB_OK | MB_ICONERROR);
            return FALSE;
        }

        // No Outlook of a known Office version is an answer, not a failure: quietly done.
        CString sOfficeVersion = addRegistry.GetOfficeVersion();
        WriteLog("10 - TarnelAddRegistry.GetOfficeVersion()...");
        if (sOfficeVersion == "0") return FALSE;

        BOOL outlookInstalled = addRegistry.IsOutlookOfficeInstalled(sOfficeVersion);
        WriteLog("11 - TarnelAddRegistry.IsOutlookOfficeInstalled(sOfficeVersion)...");
        if (!outlookInstalled) return FALSE;

        CString language = addRegistry.GetUserLanguage();
        WriteLog("12 - TarnelAddRegistry.GetUserLanguage()...");

        BOOL addinKeysWritten = addRegistry.AddOutlookInfos(language);
        WriteLog("13 - TarnelAddRegistry.AddOutlookInfos(language)...");
        if (!addinKeysWritten) return FALSE;

        CString TarnelOutlookDll = "\"" + tarnelDirectory + "TarnelOutlook.dll\"";
        int registered = RegisterDll().Regsvr32(TarnelOutlookDll);
        WriteLog("14 - RegisterDll.Regsvr32(TarnelOutlookDll)...");
        if (registered != 0) return FALSE;

        WriteLog("15 - End (Done)!");
        return TRUE;
    } catch (...) {
        AfxMessageBox("Unknown Installation Failure at: CTarnelRegisterApp::InitInstance()");
        return FALSE;
    }
}
