#include "ShellExtCases.h"

#include <algorithm>
#include <stdexcept>

const ShellExtCase kShellExtCases[4] = {
    {"quenbyappForMe", "Tarnel for me!", "Tarneler pour moi !", "Tarnel",
     "!explorer! ! true ! false ! false ! false !", true, false, false,
     "{EDAC14EB-CFE9-40A9-8769-0659224E0330}", "{2D1B6CB1-B2CB-438C-92C7-1B082FF0C884}",
     "{2A40EE11-97A8-42D9-A8D6-0B78E7E5E6BF}", "QuenbyappForMe.QuenbyShlApp.1", "QuenbyappForMe.QuenbyShlApp",
     "*", "QuenbyShlApp.1", "QUENBYAPPFORMELib", "quenbyappForMe 1.0 Type Library"},
    {"quenbyapp2", "Tarnel!", "Tarneler !", "Tarnel",
     "!explorer! ! false ! false ! false ! false !", false, true, false,
     "{66E2B817-8837-49B3-9F3C-46D365B65A2D}", "{C7C516A9-0E3C-48BC-A543-B2E69C35EAF9}",
     "{1E754526-8B13-4E97-9CD6-14E0CB553DA8}", "Quenbyapp2.QuenbyShlApp.1", "Quenbyapp2.QuenbyShlApp",
     "*", "QuenbyShlApp", "QUENBYAPP2Lib", "quenbyapp2 1.0 Type Library"},
    {"quenbyappZip", "Tarnel and Zip the directory!", "Tarneler et Zipper le r\xE9pertoire", "Quenby",
     "!explorer! ! false ! false ! true ! false !", false, false, true,
     "{49C60A69-38A1-441C-90AE-B5E912C8A20B}", "{3420479F-D65F-4018-9CC8-5022B9687F0E}",
     "{635322DA-9E49-4558-8B2A-F08DA3302703}", "QuenbyappZip.QuenbyShlApp.1", "QuenbyappZip.QuenbyShlApp",
     "AllFileSystemObjects", "QuenbyShlApp.zip", "QUENBYAPPZIPLib", "quenbyappZip 1.0 Type Library"},
    {"quenbyappWipe", "Wipe with Tarnel", "Broyer avec Tarnel", "Quenby",
     "!wipe!", false, false, false,
     "{31E04A4D-9EAE-43B5-8E40-39E89FDD291B}", "{7C7B8756-DBDC-4E13-AC32-D6C35A38B3D4}",
     "{8CE61622-CA87-4459-A020-1E588EFD6795}", "QuenbyappWipe.QuenbyShlApp.1", "QuenbyappWipe.QuenbyShlApp",
     "AllFileSystemObjects", "QuenbyShlApp.wipe", "QUENBYAPPWIPELib", "quenbyappWipe 1.0 Type Library"},
};

std::string dllPath(const ShellExtCase& c)
{
    return TestSupport::buildPath(std::string("shellext/") + c.dll + ".dll");
}

GUID guidOf(const char* text)
{
    wchar_t wide[64];
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 64);
    GUID guid;
    if (FAILED(CLSIDFromString(wide, &guid))) throw std::runtime_error(std::string("bad GUID ") + text);
    return guid;
}

Handler::Handler(const ShellExtCase& c) : m_extension(new ShellHost::Extension(dllPath(c)))
{
    IClassFactory* factory = nullptr;
    if (FAILED(m_extension->getClassObject(guidOf(c.clsid), IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        throw std::runtime_error("no class object");
    HRESULT hr = factory->CreateInstance(NULL, IID_IShellExtInit, reinterpret_cast<void**>(&m_init));
    factory->Release();
    if (FAILED(hr) || FAILED(m_init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&m_menu))))
        throw std::runtime_error("no handler");
}

Handler::~Handler()
{
    if (m_menu) m_menu->Release();
    if (m_init) m_init->Release();
}

HRESULT Handler::initialize(const std::vector<std::string>& names, ShellHost::DropKind kind,
                            std::shared_ptr<ShellHost::MediumCounts> counts)
{
    IDataObject* data = ShellHost::createDropData(names, kind, counts);
    HRESULT hr = m_init->Initialize(NULL, data, NULL);
    data->Release();
    return hr;
}

HRESULT Handler::initializeWide(const std::vector<std::wstring>& names, ShellHost::DropKind kind)
{
    IDataObject* data = ShellHost::createDropData(names, kind);
    HRESULT hr = m_init->Initialize(NULL, data, NULL);
    data->Release();
    return hr;
}

HRESULT Handler::queryMenu(UINT index, UINT flags, std::vector<ShellHost::MenuItem>& items, UINT firstId,
                           UINT lastId)
{
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 1, "Open");
    AppendMenuA(popup, MF_STRING, 2, "Properties");
    HRESULT hr = m_menu->QueryContextMenu(popup, index, firstId, lastId, flags);
    items = ShellHost::readMenu(popup);
    DestroyMenu(popup);
    return hr;
}

HRESULT Handler::invoke(LPCSTR verb)
{
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return m_menu->InvokeCommand(&info);
}

Installation::Installation()
    : m_dir("install"), m_runtimeLib(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel", "RuntimeLib")
{
    m_program = m_dir.copyIn(TestSupport::buildPath("tests/fixtures/cmdlinerecorder/cmdlinerecorder.exe"),
                             "tarnelexplorer.exe");
    nameInRegistry();
}

std::string Installation::settledCommandLines(int count) const
{
    DWORD start = GetTickCount();
    if (commandLines(count).empty()) return std::string();
    Sleep(std::min<DWORD>(std::max<DWORD>(GetTickCount() - start, 2000), 10000));
    return TestSupport::readFile(record());
}

void Installation::nameInRegistry()
{
    m_runtimeLib.setText(m_dir.path() + "tarnel.dll");
}

UserLanguage::UserLanguage(const char* language)
    : m_value(HKEY_CURRENT_USER, "Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg", "/Quenby/Language")
{
    m_value.setText(language);
}
