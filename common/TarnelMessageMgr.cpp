#include "common/TarnelMessageMgr.h"

#include "afx/CMapStringToString.h"
#include "common/TarnelAddRegistry.h"
#include "common/TarnelSiteConfig.h"

namespace {

struct CatalogueEntry {
    const char* key;
    const char* text;
};

// Both languages list the same keys in the same order; the French texts are in
// Windows code page 1252.
const CatalogueEntry kEnglish[] = {
    {"ADMIN_PRIVILIGE_REQUIRED", "Administrator privileges are required to install Tarnel."},
    {"WANT_TO_CREATE_KEY_FR", "You must generate a keypair to use Tarnel.\nWould you like to generate it now?\nYou will be redirected to " TARNEL_WEB_SITE_HOST " web site."},
    {"WANT_TO_DELETE_KEY_FR", "Would you like to remove your public key from the server? \nYou will be redirected to " TARNEL_WEB_SITE_HOST " web site."},
    {"PLEASE_QUIT_OUTLOOK", "Please quit Outlook to continue Tarnel installation."},
    {"TARNEL_THE_FILE", "Tarnel!"},
    {"TARNEL_THE_FILE_FOR_ME", "Tarnel for me!"},
    {"TARNEL_AND_EMAIL_THE_FILE", "Tarnel and email!"},
    {"WIPE", "Wipe with Tarnel"},
    {"DECRYPT_WITH_TARNEL", "Decrypt/Verify with Tarnel"},
    {"VERIFY_WITH_TARNEL", "Verify with Tarnel"},
    {"TARNEL_ZIP", "Tarnel and Zip the directory!"},
    {"TARNEL_ZIP_AND_FTP", "Tarnel, Zip and FTP the directory!"},
    {"JAVA_NOT_FOUND", "Java is not installed! Please install Java to use Tarnel. Download Java at: " TARNEL_JAVA_DOWNLOAD_URL},
    {"TARNEL_DLL_NOT_FOUND", "tarnel.dll not found! \nTarnel is not correctly installed! Please uninstall and reinstall Tarnel."},
    {"ERROR_COPY_POLICY_FILES", "Impossible to copy the Java Policy Files to Java Lib Security Directory!\nTarnel is not correctly installed! Please uninstall and reinstall Tarnel."},
    {"ERROR_LOADING_TARNEL_DLL", "Error in loading tarnel.dll! tarneltray is not loaded.\nTarnel is not correctly installed! Please uninstall and reinstall Tarnel."},
    {"PLEASE_REINSTALL_TARNEL", "Tarnel is not correctly installed! Please uninstall and reinstall Tarnel."},
    {"TARNEL_IS_ALREADY_RUNNING", "Tarnel is already running. Please use the Windows taskbar to open Tarnel."},
    {"ERROR_SETTING_CLASSPATH", "Impossible to set CLASSPATH as Environment Variable."},
    {"ERROR_SETTING_PATH", "Impossible to set PATH as Environment Variable."},
    {"ERROR_MISSING_FILE", "Error. File is missing: "},
};

const CatalogueEntry kFrench[] = {
    {"ADMIN_PRIVILIGE_REQUIRED", "Vous devez \xEAtre Administrateur pour installer Tarnel"},
    {"WANT_TO_CREATE_KEY_FR", "Vous devez cr\xE9" "er une paire de cl\xE9 pour utiliser Tarnel.\nVoulez-vous cr\xE9" "er vos cl\xE9s Tarnel maintenant ?\nVous serez redirig\xE9 vers le site " TARNEL_WEB_SITE_HOST},
    {"WANT_TO_DELETE_KEY_FR", "Voulez-vous supprimer votre cl\xE9 publique Tarnel du serveur ?\nVous serez redirig\xE9 vers le site " TARNEL_WEB_SITE_HOST},
    {"PLEASE_QUIT_OUTLOOK", "Veuillez SVP quitter Outlook pour continuer l'installation de Tarnel."},
    {"TARNEL_THE_FILE", "Tarneler !"},
    {"TARNEL_THE_FILE_FOR_ME", "Tarneler pour moi !"},
    {"TARNEL_AND_EMAIL_THE_FILE", "Tarneler et emailer !"},
    {"WIPE", "Broyer avec Tarnel"},
    {"DECRYPT_WITH_TARNEL", "D\xE9" "crypter/V\xE9rifier avec Tarnel"},
    {"VERIFY_WITH_TARNEL", "V\xE9rifier avec Tarnel"},
    {"TARNEL_ZIP", "Tarneler et Zipper le r\xE9pertoire"},
    {"TARNEL_ZIP_AND_FTP", "Tarneler, Zipper et FTP le r\xE9pertoire"},
    {"JAVA_NOT_FOUND", "Java n'est pas install\xE9 ! Veuillez installer Java pour utiliser Tarnel. Pour t\xE9l\xE9" "charger Java : " TARNEL_JAVA_DOWNLOAD_URL},
    {"TARNEL_DLL_NOT_FOUND", "Impossible de trouver la dll tarnel.dll ! \nVeuillez d\xE9installer Tarnel puis r\xE9installer Tarnel."},
    {"ERROR_COPY_POLICY_FILES", "Impossible de copier les Java Policy Files vers le r\xE9pertoire de Java Lib Security ! \nVeuillez d\xE9installer Tarnel puis r\xE9installer Tarnel."},
    {"ERROR_LOADING_TARNEL_DLL", "Erreur de chargement de tarnel.dll. tarneltray n'a pas \xE9t\xE9 charg\xE9. \nVeuillez d\xE9installer Tarnel puis r\xE9installer Tarnel."},
    {"PLEASE_REINSTALL_TARNEL", "Veuillez d\xE9installer Tarnel puis r\xE9installer Tarnel."},
    {"TARNEL_IS_ALREADY_RUNNING", "Tarnel est d\xE9j\xE0 lanc\xE9 ! Veuillez appeler Tarnel \xE0 partir de la barre des t\xE2" "ches de Windows."},
    {"ERROR_SETTING_CLASSPATH", "Impossible d'initalialiser la Variable d'Environnement CLASSPATH."},
    {"ERROR_SETTING_PATH", "Impossible d'initalialiser la Variable d'Environnement PATH."},
    {"ERROR_MISSING_FILE", "Error. Le fichier est introuvable: "},
};

template <size_t N>
void fill(CMapStringToString& table, const CatalogueEntry (&entries)[N])
{
    for (const CatalogueEntry& entry : entries) table.SetAt(entry.key, entry.text);
}

}  // namespace

CString TarnelMessageMgr::getMessage(CString key)
{
    TarnelAddRegistry registry;
    return getLanguageMessage(registry.GetUserLanguage(), key);
}

CString TarnelMessageMgr::getLanguageMessage(CString language, CString key)
{
    CMapStringToString table(10);
    if (language == "fr")
        fill(table, kFrench);
    else
        fill(table, kEnglish);

    CString text;
    table.Lookup(key, text);
    return text.GetLength() > 1 ? text : key;
}
