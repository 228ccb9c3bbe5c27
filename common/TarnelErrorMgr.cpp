#include "common/TarnelErrorMgr.h"

#include <cerrno>

CString TarnelErrorMgr::formatError(DWORD code)
{
    char* systemText = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&systemText), 0, nullptr);
    CString result(systemText, systemText ? static_cast<int>(length) : 0);
    if (systemText) LocalFree(systemText);

    CString number;
    number.Format("%d", static_cast<int>(code));
    result.TrimLeft();
    result.TrimRight();
    result += " (" + number + ")";
    if (code == ERROR_ACCESS_DENIED)
        result += "\n\nTarnel install operation is refused because you do not have enough privileges"
                  "\nYou must be logged as an Administrator to have enough privileges to install Tarnel.";
    return result;
}

CString TarnelErrorMgr::formatSpawnError(int error)
{
    switch (error) {
    case ENOENT: return "File or path is not found";
    case E2BIG: return "Argument list exceeds 1024 bytes";
    case ENOEXEC: return "Specified file is not executable or has invalid executable-file format";
    case ENOMEM: return "Not enough memory is available to execute new process";
    case EINVAL: return "Mode argument is invalid";
    default: return CString();
    }
}
