#include "InstallerState.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

const char kOutlookSettings[] = "Software\\Microsoft\\Office\\Outlook";
const char kAddinKey[] = "Software\\Microsoft\\Office\\Outlook\\Addins\\Tarnelmail.Connect";

std::vector<std::string> subkeysOf(HKEY root)
{
    std::vector<std::string> names;
    char name[MAX_PATH + 1];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// The SID of the user running the tests, as HKEY_USERS names its profile.
std::string currentUserProfile()
{
    HANDLE token;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[256];
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    CloseHandle(token);
    char* text = nullptr;
    std::string sid;
    typedef BOOL(WINAPI * ConvertSid)(PSID, char**);
    ConvertSid convert = reinterpret_cast<ConvertSid>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "ConvertSidToStringSidA")));
    if (convert && convert(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    return sid;
}

}  // namespace

const char kAddinValues[] =
    "CommandLineSafe=4:4:0; Description=1:14:Quenby Add-In; FriendlyName=1:7:Quenby; LoadBehavior=4:4:3";

UserProfiles::UserProfiles() : m_currentUser(currentUserProfile())
{
    for (const std::string& profile : subkeysOf(HKEY_USERS))
        m_saved.push_back(std::make_unique<RegistryTestKey>(HKEY_USERS, profile + "\\Software\\Microsoft\\Office"));
}

std::string UserProfiles::add(const std::string& name, bool outlookSettings)
{
    std::string profile = "TarnelTest" + name;
    m_saved.push_back(std::make_unique<RegistryTestKey>(HKEY_USERS, profile));
    m_saved.back()->create("Software\\Microsoft");
    if (outlookSettings) giveOutlookSettings(profile);
    return profile;
}

std::string UserProfiles::addUnwritable(const std::string& name)
{
    std::string profile = add(name, false);
    HKEY key;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_USERS, (profile + "\\" + kOutlookSettings).c_str(), 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
    return profile;
}

void UserProfiles::giveOutlookSettings(const std::string& profile)
{
    HKEY key;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_USERS, (profile + "\\" + kOutlookSettings).c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
}

void UserProfiles::removeOutlookSettings(const std::string& profile)
{
    SHDeleteKeyA(HKEY_USERS, (profile + "\\" + kOutlookSettings).c_str());
}

std::vector<std::string> UserProfiles::all() const { return subkeysOf(HKEY_USERS); }

WriteDeniedKey::WriteDeniedKey(HKEY root, const std::string& path) : m_root(root), m_path(path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open " << path;
        return;
    }
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    m_saved.resize(size);
    EXPECT_EQ(ERROR_SUCCESS, RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, m_saved.data(), &size));

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    BYTE aclBuffer[256];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
    // A denying entry first, as Windows orders them; reading stays allowed.
    AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, everyone);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
    SECURITY_DESCRIPTOR denying;
    InitializeSecurityDescriptor(&denying, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&denying, TRUE, acl, FALSE);
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &denying));
    FreeSid(everyone);
    RegCloseKey(key);
}

WriteDeniedKey::~WriteDeniedKey()
{
    HKEY key;
    if (m_saved.empty() || RegOpenKeyExA(m_root, m_path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, m_saved.data());
    RegCloseKey(key);
}

std::string addinValuesOf(const std::string& profile)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_USERS, (profile + "\\" + kAddinKey).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::string();
    std::vector<std::string> values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[256] = {};
        DWORD nameLength = sizeof name, type = 0, size = sizeof data;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::string shown = type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data))
                                              : std::string(reinterpret_cast<char*>(data));
        values.push_back(std::string(name) + "=" + std::to_string(type) + ":" + std::to_string(size) + ":" + shown);
    }
    RegCloseKey(key);
    // The registry keeps no order of values that a test could rely on.
    std::sort(values.begin(), values.end());
    std::string joined;
    for (const std::string& value : values) joined += (joined.empty() ? "" : "; ") + value;
    return joined;
}

std::string systemRegsvr32()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\regsvr32.exe";
}
