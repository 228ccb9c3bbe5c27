// Machine state that the installer tool reads and writes, laid out by a test and put
// back afterwards: Office's installation keys, the user profiles of HKEY_USERS with
// or without Outlook settings, and a key that refuses writing.
#pragma once

#include "RegistryTestKey.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// HKLM SOFTWARE\Microsoft\Office (the 32-bit view), empty for the test.
class OfficeKeys {
public:
    OfficeKeys() : m_key(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Office") {}
    // What an Office installation with Outlook leaves: ...\<version>\Outlook\InstallRoot Path.
    void installOutlook(const std::string& version) { m_key.setText("Path", "C:\\Office\\", version + "\\Outlook\\InstallRoot"); }
    void clear() { m_key.clear(); }
    RegistryTestKey& key() { return m_key; }

private:
    RegistryTestKey m_key;
};

// HKEY_USERS: the Office settings of every profile there are put aside, and the test
// adds profiles of its own ("TarnelTest" + name), all removed again afterwards.
// Windows holds only loaded hives directly under HKEY_USERS and refuses new keys there;
// Wine takes them, which is what lets a test lay out several profiles. What the
// installer does with each (enumerate, test, create below) is the same on both.
class UserProfiles {
public:
    UserProfiles();
    // A new profile, with Outlook settings (Software\Microsoft\Office\Outlook) or
    // with other software settings only; returns its name.
    std::string add(const std::string& name, bool outlookSettings);
    // A profile whose Outlook settings key is volatile: nothing lasting can be
    // created below it, so writing the add-in key fails.
    std::string addUnwritable(const std::string& name);
    // The profile of the user running the tests (HKEY_CURRENT_USER).
    std::string currentUser() const { return m_currentUser; }
    void giveOutlookSettings(const std::string& profile);
    void removeOutlookSettings(const std::string& profile);
    std::vector<std::string> all() const;

private:
    std::vector<std::unique_ptr<RegistryTestKey>> m_saved;
    std::string m_currentUser;
};

// An existing key that refuses to be opened for writing: its access list denies
// everyone KEY_SET_VALUE and KEY_CREATE_SUB_KEY. Its own security comes back after.
class WriteDeniedKey {
public:
    WriteDeniedKey(HKEY root, const std::string& path);
    ~WriteDeniedKey();
    WriteDeniedKey(const WriteDeniedKey&) = delete;
    WriteDeniedKey& operator=(const WriteDeniedKey&) = delete;

private:
    HKEY m_root;
    std::string m_path;
    std::vector<BYTE> m_saved;
};

// The values of the Outlook add-in key of a profile, each as name=type:size:data,
// sorted by name and joined by "; "; empty when the profile has no add-in key.
std::string addinValuesOf(const std::string& profile);
// What the installer writes there.
extern const char kAddinValues[];

// The regsvr32.exe of the system directory, the one the installer runs.
std::string systemRegsvr32();
