// What loading the library does: Windows Sockets 1.1 started for as long as it stays
// loaded, a load that fails when they cannot be started, and, in a process of its
// own, the answer for a token that holds the Administrators group for deny only.
#include <winsock2.h>

#include "MessageBoxWatcher.h"
#include "UserAdminLibrary.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using Lines = std::vector<std::string>;

const std::string kSocketsBox =
    boxLine("TarnelDllUserAdmin", "Echec de l'initialisation des sockets Windows.", "OK", "exclamation");

// Whether Windows Sockets are started in this process: this test program never
// starts them itself, so only the library can have done it.
bool socketsStarted()
{
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (probe == INVALID_SOCKET) return WSAGetLastError() != WSANOTINITIALISED;
    closesocket(probe);
    return true;
}

TEST(LibraryLoad, WindowsSocketsRunWhileTheLibraryIsLoaded)
{
    ASSERT_FALSE(socketsStarted());
    {
        MessageBoxWatcher watcher(GetCurrentProcessId(), {});
        UserAdminLibrary library;
        ASSERT_NE(nullptr, library.module());
        EXPECT_TRUE(socketsStarted());
        EXPECT_EQ(Lines(), watcher.stop());
    }
    EXPECT_FALSE(socketsStarted());
}

// A folder of its own under the temporary folder, removed with what it holds.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_path = std::string(temp) + "useradmin-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        for (const std::string& file : m_files) DeleteFileA(file.c_str());
        RemoveDirectoryA(m_path.c_str());
    }
    std::string file(const std::string& name)
    {
        m_files.push_back(m_path + name);
        return m_files.back();
    }

private:
    std::string m_path;
    std::vector<std::string> m_files;
};

Lines readLines(const std::string& path)
{
    Lines lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The caller's sockets answer WSAStartup as each case says (see useradmincaller.cpp):
// the refusal comes from inside the caller's own process, as the real start-up would
// give it.
TEST(LibraryLoad, FailedSocketStartUpShowsString101AndTheLoadFails)
{
    struct Case {
        const char* answer;
        const char* command;
        DWORD exitCode;
        Lines boxes;
        Lines calls;
    };
    const Case cases[] = {
        {"fail", "detect", 2, {kSocketsBox}, {"WSAStartup 0101"}},
        {"2.2", "detect", 2, {kSocketsBox}, {"WSAStartup 0101", "WSACleanup"}},
        // Answered with 1.1: the load goes on, and the unload cleans up.
        {"1.1", "unload", 0, {}, {"WSAStartup 0101", "WSACleanup"}},
    };
    ScratchFolder folder;
    const std::string log = folder.file("sockets.log");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        DeleteFileA(log.c_str());
        WatchedProcess run(TARNEL_USERADMIN_CALLER_EXE,
                           "useradmincaller \"" + userAdminDllPath() + "\" " + c.command + " " + c.answer + " \"" +
                               log + "\"",
                           {"OK"});
        ASSERT_TRUE(run.started());
        EXPECT_EQ(c.boxes, run.wait());
        EXPECT_EQ(c.exitCode, run.exitCode());
        EXPECT_EQ(c.calls, readLines(log));
    }
}

// A caller process started on a restricted copy of Wine's token, in which the
// Administrators group is held for deny only (as for an administrator without
// elevation). The group still counts: the answer is 0 and no box is shown. (Wine
// gives no token without the group at all; those cases are staged in
// DetectUserAdminTest.)
DWORD runOnToken(HANDLE token, const char* command, Lines& boxes)
{
    std::string program = TARNEL_USERADMIN_CALLER_EXE;
    std::string commandLine = "useradmincaller \"" + userAdminDllPath() + "\" " + command;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessAsUserA(token, program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process))
        return GetLastError() | 0x80000000;
    MessageBoxWatcher watcher(process.dwProcessId, {"OK"});
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &exitCode);
    else TerminateProcess(process.hProcess, STILL_ACTIVE);
    boxes = watcher.stop();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

TEST(LibraryLoad, AdministratorsGroupHeldForDenyOnlyStillCounts)
{
    HANDLE own = nullptr, restricted = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                         0, 0, 0, 0, &administrators));
    SID_AND_ATTRIBUTES denyOnly = {administrators, 0};
    ASSERT_TRUE(CreateRestrictedToken(own, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &restricted));

    Lines boxes;
    DWORD attributes = runOnToken(restricted, "admin-group", boxes);
    EXPECT_EQ(DWORD(SE_GROUP_USE_FOR_DENY_ONLY), attributes & (SE_GROUP_USE_FOR_DENY_ONLY | SE_GROUP_ENABLED))
        << "the caller's token does not hold the group for deny only: attributes " << attributes;
    EXPECT_EQ(0u, runOnToken(restricted, "detect", boxes));
    EXPECT_EQ(Lines(), boxes);

    CloseHandle(restricted);
    CloseHandle(own);
    FreeSid(administrators);
}

}  // namespace
