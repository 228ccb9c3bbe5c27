#include "common/TarnelAddRegistry.h"

#include "common/RegistryValue.h"

CString TarnelAddRegistry::GetUserLanguage()
{
    CString language;
    if (RegistryValue::readText(HKEY_CURRENT_USER, "Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg",
                                "/Quenby/Language", language))
        return language;

    CString windowsLanguage;
    if (RegistryValue::readText(HKEY_CURRENT_USER, "Control Panel\\International", "sLanguage",
                                windowsLanguage))
        return windowsLanguage.MakeLower().Left(2);

    return CString();
}
