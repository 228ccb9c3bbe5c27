#include "afx/Spawn.h"

#include <windows.h>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

// CreateProcess takes at most 32,767 UTF-16 characters of command line, terminator
// included. Wine takes longer ones, so the limit is enforced here for both.
const int kMaxCommandLineChars = 32767;
// A PATH candidate this long or longer is not tried, and ends the search.
const size_t kMaxCandidateChars = MAX_PATH;

int errnoFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: case ERROR_BAD_NET_NAME: case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return ENOENT;
    case ERROR_BAD_EXE_FORMAT: case ERROR_BAD_FORMAT: case ERROR_INVALID_EXE_SIGNATURE:
    case ERROR_EXE_MARKED_INVALID: case ERROR_EXE_MACHINE_TYPE_MISMATCH:
        return ENOEXEC;
    case ERROR_NOT_ENOUGH_MEMORY: case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_FILENAME_EXCED_RANGE:
        return E2BIG;
    default:
        return EINVAL;
    }
}

// Sets errno and the system's last error together; errno is set first because the
// C runtime may touch the last error while it does so.
int fail(DWORD error)
{
    errno = errnoFor(error);
    SetLastError(error);
    return -1;
}

std::string joinArguments(const char* const* argv)
{
    std::string line;
    for (const char* const* arg = argv; *arg; ++arg) {
        if (arg != argv) line += ' ';
        line += *arg;
    }
    return line;
}

bool endsWithBackslash(const std::string& directory)
{
    if (directory.empty()) return false;
    const char* begin = directory.c_str();
    const char* last = CharPrevA(begin, begin + directory.size());
    return last + 1 == begin + directory.size() && *last == '\\';
}

std::vector<std::string> pathDirectories()
{
    std::vector<std::string> directories;
    DWORD size = GetEnvironmentVariableA("PATH", NULL, 0);
    if (size == 0) return directories;
    std::vector<char> path(size);
    if (GetEnvironmentVariableA("PATH", path.data(), size) >= size) return directories;

    std::string entry;
    for (const char* p = path.data();; ++p) {
        if (*p == ';' || *p == '\0') {
            if (!entry.empty()) directories.push_back(entry);
            entry.clear();
            if (*p == '\0') break;
        } else if (*p != '"') {
            entry += *p;
        }
    }
    return directories;
}

// One CreateProcessA attempt; the system's error code, or 0 with the handles filled.
DWORD createProcess(const std::string& application, std::vector<char>& commandLine,
                    PROCESS_INFORMATION& process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // The application name is always given, so that Windows never splits an unquoted
    // path with blanks at its first blank to look for a program.
    if (CreateProcessA(application.c_str(), commandLine.data(), NULL, NULL, TRUE, 0, NULL,
                       NULL, &startup, &process))
        return 0;
    DWORD error = GetLastError();
    return error ? error : ERROR_INVALID_FUNCTION;
}

DWORD createAlongPath(const char* program, std::vector<char>& commandLine,
                      PROCESS_INFORMATION& process)
{
    DWORD error = createProcess(program, commandLine, process);
    // Only a bare name is looked for along PATH. A path that holds a folder or a
    // drive means that one file: found under a PATH folder instead, it would be a
    // program that anybody able to write there could have planted.
    if (error == 0 || errnoFor(error) != ENOENT || strpbrk(program, "\\/:")) return error;

    for (const std::string& directory : pathDirectories()) {
        std::string candidate = directory;
        if (!endsWithBackslash(candidate)) candidate += '\\';
        candidate += program;
        if (candidate.size() >= kMaxCandidateChars) break;
        error = createProcess(candidate, commandLine, process);
        if (error == 0 || errnoFor(error) != ENOENT) break;
    }
    return error;
}

}  // namespace

int AfxSpawn(AfxSpawnMode mode, const char* program, const char* const* argv)
{
    if (!program || !*program || !argv || !argv[0] ||
        (mode != AFX_SPAWN_WAIT && mode != AFX_SPAWN_NOWAIT && mode != AFX_SPAWN_OVERLAY))
        return fail(ERROR_INVALID_PARAMETER);

    std::string line = joinArguments(argv);
    int wideChars = MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, NULL, 0);
    if (wideChars == 0 || wideChars > kMaxCommandLineChars) return fail(ERROR_FILENAME_EXCED_RANGE);
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');

    PROCESS_INFORMATION process = {};
    DWORD error = createAlongPath(program, commandLine, process);
    if (error) return fail(error);
    CloseHandle(process.hThread);

    if (mode == AFX_SPAWN_OVERLAY) ExitProcess(0);
    if (mode == AFX_SPAWN_NOWAIT) {
        CloseHandle(process.hProcess);
        return 0;
    }
    DWORD exitCode = 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    BOOL known = GetExitCodeProcess(process.hProcess, &exitCode);
    error = GetLastError();
    CloseHandle(process.hProcess);
    if (!known) return fail(error);
    return static_cast<int>(exitCode);
}
