// An outside caller of TarnelDllUserAdmin for the tests that need a process of their
// own (a restricted token, a stand-in socket library beside the program). Its answer
// is its exit code:
//   useradmincaller <dll> detect     loads the library, calls detectUserAdmin
//        -> 0 (returned 0), 1 (returned -1), 4 (no such export)
//   useradmincaller <dll> unload     loads the library and frees it again -> 0
//   useradmincaller - admin-group    the attribute flags of the Administrators group
//        in this process's token, 0xFFFF when the token does not hold it
// A failed load gives 2, or 3 when the library stayed in the process after all.
#include <windows.h>

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

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return 100;
    if (std::strcmp(argv[2], "admin-group") == 0) return static_cast<int>(administratorsAttributes());

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
