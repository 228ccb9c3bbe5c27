#include "register/CTarnelRegisterApp.h"

#include "afx/AfxMessageBox.h"
#include "afx/AfxOle.h"
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

// Every program that reads RuntimeLib back takes at most 128 bytes of it, the
// terminating zero included (a double-byte character counts twice). A longer path
// would be written and then found by none of them, and the installed product would
// fail at its first use: it is refused with a box, and nothing is written.
bool fitsRuntimeLibReaders(const CString& sRuntimeLib)
{
    const int kMaxChars = static_cast<int>(RegistryValue::kValueBytes) - 1;
    if (sRuntimeLib.GetLength() <= kMaxChars) return true;
    CString text;
    text.Format("Quenby Install Failure: The path of tarnel.dll may hold at most %d characters!\n", kMaxChars);
    AfxMessageBox(text + sRuntimeLib, MB_OK | MB_ICONERROR);
    return false;
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

        CString commandLine(GetCommandLineA());
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
        BOOL added = fitsRuntimeLibReaders(sRuntimeLib) && addRegistry.AddTarnelDll(sRuntimeLib);
        WriteLog("4 - TarnelAddRegistry.AddTarnelDll(sRuntimeLib)...");
        if (!added) return FALSE;

        // From here on the installation directory is the one the other programs will
        // read back, not srcDir. Step 4 made sure that the value fits their reads.
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
