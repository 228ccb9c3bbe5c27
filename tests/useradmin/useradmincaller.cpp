// An outside caller of TarnelDllUserAdmin for the tests that need a process of their
// own (a restricted token, a socket start-up that answers as the test says). Its
// answer is its exit code:
//   useradmincaller <dll> detect     loads the library, calls detectUserAdmin
//        -> 0 (returned 0), 1 (returned -1), 4 (no such export)
//   useradmincaller <dll> unload     loads the library and frees it again -> 0
//   useradmincaller - admin-group    the attribute flags of the Administrators group
//        in this process's token, 0xFFFF when the token does not hold it
// A failed load gives 2, or 3 when the library stayed in the process after all; 5
// says that the socket stand-ins below could not be put in place.
//
// Given two more arguments, <answer> <log>, the caller first makes this process's
// Windows Sockets answer as the test says, which the real ones never do: before it
// loads the library, it points ws2_32.dll's exports WSAStartup and WSACleanup at
// stand-ins, so that the library's imports are bound to them. The stand-in of
// WSAStartup answers
//   fail     WSASYSNOTREADY, nothing started
//   2.2      success, but version 2.2 in the answer
//   1.1      success with version 1.1
// and each call is appended to the file <log>: "WSAStartup 0101" (the version asked
// for, in hex) or "WSACleanup". The library is loaded only after ws2_32.dll, which
// it imports, so it finds the stand-ins there; no DLL is put beside any program.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

DWORD administratorsAttributes()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    HANDLE token = nullptr;
    AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                             0, &administrators);
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    static BYTE groups[64 * 1024];
    DWORD size = 0, result = 0xFFFF;
    if (GetTokenInformation(token, TokenGroups, groups, sizeof(groups), &size)) {
        const TOKEN_GROUPS* list = reinterpret_cast<const TOKEN_GROUPS*>(groups);
        for (DWORD i = 0; i < list->GroupCount; ++i)
            if (EqualSid(list->Groups[i].Sid, administrators)) result = list->Groups[i].Attributes;
    }
    CloseHandle(token);
    FreeSid(administrators);
    return result;
}

const char* socketAnswer = "";
const char* socketLog = "";

void logSocketCall(const char* line)
{
    if (FILE* log = std::fopen(socketLog, "a")) {
        std::fprintf(log, "%s\n", line);
        std::fclose(log);
    }
}

int WINAPI standInStartup(WORD version, LPWSADATA data)
{
    char line[32];
    std::snprintf(line, sizeof(line), "WSAStartup %04x", version);
    logSocketCall(line);
    if (std::strcmp(socketAnswer, "fail") == 0) return WSASYSNOTREADY;
    WORD given = std::strcmp(socketAnswer, "2.2") == 0 ? MAKEWORD(2, 2) : MAKEWORD(1, 1);
    std::memset(data, 0, sizeof(*data));
    data->wVersion = given;
    data->wHighVersion = given;
    return 0;
}

int WINAPI standInCleanup()
{
    logSocketCall("WSACleanup");
    return 0;
}

// Points the module's export of that name at the replacement: a module that is
// loaded afterwards and imports the function is bound to the replacement. An export
// is an address relative to the module, taken modulo 2^32 like every address here.
bool replaceExport(HMODULE module, const char* name, const void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_NT_HEADERS* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!directory.VirtualAddress) return false;
    const IMAGE_EXPORT_DIRECTORY* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const DWORD* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    const WORD* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    DWORD* functions = reinterpret_cast<DWORD*>(base + exports->AddressOfFunctions);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        if (std::strcmp(reinterpret_cast<const char*>(base + names[i]), name) != 0) continue;
        DWORD* slot = &functions[ordinals[i]];
        DWORD protection = 0;
        if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection)) return false;
        *slot = static_cast<DWORD>(reinterpret_cast<const BYTE*>(replacement) - base);
        VirtualProtect(slot, sizeof(*slot), protection, &protection);
        return true;
    }
    return false;
}

bool standInSockets()
{
    HMODULE sockets = LoadLibraryA("ws2_32.dll");
    return sockets && replaceExport(sockets, "WSAStartup", reinterpret_cast<const void*>(standInStartup)) &&
           replaceExport(sockets, "WSACleanup", reinterpret_cast<const void*>(standInCleanup));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) return 100;
    if (std::strcmp(argv[2], "admin-group") == 0) return static_cast<int>(administratorsAttributes());
    if (argc == 5) {
        socketAnswer = argv[3];
        socketLog = argv[4];
        if (!standInSockets()) return 5;
    }

    HMODULE library = LoadLibraryA(argv[1]);
    if (!library) return GetModuleHandleA("TarnelDllUserAdmin.dll") ? 3 : 2;
    int code = 0;
    if (std::strcmp(argv[2], "detect") == 0) {
        typedef int(__cdecl * DetectFunction)();
        DetectFunction detect = reinterpret_cast<DetectFunction>(GetProcAddress(library, "detectUserAdmin"));
        code = !detect ? 4 : detect() == 0 ? 0 : 1;
    }
    FreeLibrary(library);
    return code;
}
