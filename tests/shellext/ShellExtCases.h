// What each of the four extension DLLs must be and do, written out as expected
// values, and a handler driven through the shell host as Explorer drives it.
#pragma once

#include "ShellHost.h"
#include "TestSupport.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

struct ShellExtCase {
    const char* dll;               // file name without .dll
    const char* englishText;
    const char* frenchText;
    const char* helpText;
    const char* arguments;         // between the program path and the name list
    bool pgpHidesItem;
    bool pgpChangesText;           // to "Decrypt/Verify with Tarnel"
    bool plainDirectoriesOnly;
    const char* clsid;
    const char* libid;
    const char* iid;
    const char* progId;
    const char* versionIndependentProgId;
    const char* handlerRoot;
    const char* handlerKey;
    const char* typeLibName;
    const char* typeLibHelp;
};

extern const ShellExtCase kShellExtCases[4];

inline std::ostream& operator<<(std::ostream& out, const ShellExtCase& c) { return out << c.dll; }

std::string dllPath(const ShellExtCase& c);
GUID guidOf(const char* text);

// One handler object of one extension DLL, created as Explorer creates it.
class Handler {
public:
    explicit Handler(const ShellExtCase& c);
    ~Handler();

    HRESULT initialize(const std::vector<std::string>& names,
                       ShellHost::DropKind kind = ShellHost::DropKind::Wide,
                       std::shared_ptr<ShellHost::MediumCounts> counts = nullptr);
    HRESULT initializeWide(const std::vector<std::wstring>& names,
                           ShellHost::DropKind kind = ShellHost::DropKind::Wide);
    // QueryContextMenu on a popup menu that already holds "Open" and "Properties",
    // with the ids firstId to lastId free for the handler; the menu's items are read
    // back afterwards.
    HRESULT queryMenu(UINT index, UINT flags, std::vector<ShellHost::MenuItem>& items,
                      UINT firstId = kFirstId, UINT lastId = kFirstId + 50);
    HRESULT invoke(LPCSTR verb);
    IContextMenu* menu() const { return m_menu; }
    const ShellHost::Extension& extension() const { return *m_extension; }

    static constexpr UINT kFirstId = 100;

private:
    std::unique_ptr<ShellHost::Extension> m_extension;
    IShellExtInit* m_init = nullptr;
    IContextMenu* m_menu = nullptr;
};

// An installation directory holding the stand-in tarnelexplorer.exe (the command-line
// recorder), named by HKLM SOFTWARE\Tarnel RuntimeLib for the length of a test.
class Installation {
public:
    Installation();
    // RuntimeLib names the installation again.
    void nameInRegistry();
    const std::string& program() const { return m_program; }
    std::string record() const { return m_dir.path() + "tarnelexplorer.cmdline"; }
    // The command lines the bridge was started with, once `count` of them are there.
    std::string commandLines(int count = 1) const { return TestSupport::waitForLines(record(), count); }
    // The same, read once more after as long again as they took to come (two seconds at
    // least): a program started before the last of them, even a little late, has
    // written its line by then too. For the checks that nothing else was started.
    std::string settledCommandLines(int count = 1) const;
    void removeProgram() { DeleteFileA(m_program.c_str()); }
    TestSupport::SavedRegistryValue& runtimeLib() { return m_runtimeLib; }

private:
    TestSupport::ScratchDirectory m_dir;
    TestSupport::SavedRegistryValue m_runtimeLib;
    std::string m_program;
};

// The user's language for the catalogue, set for one test and put back.
class UserLanguage {
public:
    explicit UserLanguage(const char* language);

private:
    TestSupport::SavedRegistryValue m_value;
};
