#include "common/TarnelMessageMgr.h"
#include "common/TarnelSiteConfig.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct CatalogueText {
    const char* key;
    const char* english;
    const char* french;  // Windows code page 1252
};

// Written out afresh from the product's message table (not copied from the catalogue's
// source), so that a slip in either shows.
const CatalogueText kCatalogue[] = {
    {"ADMIN_PRIVILIGE_REQUIRED",
     "Administrator privileges are required to install Tarnel.",
     "Vous devez \xEAtre Administrateur pour installer Tarnel"},
    {"WANT_TO_CREATE_KEY_FR",
     "You must generate a keypair to use Tarnel.\nWould you like to generate it now?\nYou will be redirected to " TARNEL_WEB_SITE_HOST " web site.",
     "Vous devez cr\xE9" "er une paire de cl\xE9 pour utiliser Tarnel.\nVoulez-vous cr\xE9" "er vos cl\xE9s Tarnel maintenant ?\nVous serez redirig\xE9 vers le site " TARNEL_WEB_SITE_HOST},
    {"WANT_TO_DELETE_KEY_FR",
     "Would you like to remove your public key from the server? \nYou will be redirected to " TARNEL_WEB_SITE_HOST " web site.",
     "Voulez-vous supprimer votre cl\xE9 publique Tarnel du serveur ?\nVous serez redirig\xE9 vers le site " TARNEL_WEB_SITE_HOST},
    {"PLEASE_QUIT_OUTLOOK",
     "Please quit Outlook to continue Tarnel installation.",
     "Veuillez SVP quitter Outlook pour continuer l'installation de Tarnel."},
    {"TARNEL_THE_FILE", "Tarnel!", "Tarneler !"},
    {"TARNEL_THE_FILE_FOR_ME", "Tarnel for me!", "Tarneler pour moi !"},
    {"TARNEL_AND_EMAIL_THE_FILE", "Tarnel and email!", "Tarneler et emailer !"},
    {"WIPE", "Wipe with Tarnel", "Broyer avec Tarnel"},
    {"DECRYPT_WITH_TARNEL", "Decrypt/Verify with Tarnel", "D\xE9" "crypter/V\xE9rifier avec Tarnel"},
    {"VERIFY_WITH_TARNEL", "Verify with Tarnel", "V\xE9rifier avec Tarnel"},
    {"TARNEL_ZIP", "Tarnel and Zip the directory!", "Tarneler et Zipper le r\xE9pertoire"},
    {"TARNEL_ZIP_AND_FTP", "Tarnel, Zip and FTP the directory!", "Tarneler, Zipper et FTP le r\xE9pertoire"},
    {"JAVA_NOT_FOUND",
     "Java is not installed! Please install Java to use Tarnel. Download Java at: " TARNEL_JAVA_DOWNLOAD_URL,
     "Java n'est pas install\xE9 ! Veuillez installer Java pour utiliser Tarnel. Pour t\xE9l\xE9" "charger Java : " TARNEL_JAVA_DOWNLOAD_URL},
    {"TARNEL_DLL_NOT_FOUND",
     "tarnel.dll not found! \nTarnel is not correctly installed! Please uninstall and reinstall Tarnel.",
     "Impossible de trouver la dll tarnel.dll ! \nVeuillez d\xE9installer Tarnel puis r\xE9installer Tarnel."},
    {"ERROR_COPY_POLICY_FILES",
     "Impossible to copy the Java Policy Files to Java Lib Security Directory!\nTarnel is not correctly installed! Please uninstall and reinstall Tarnel.",
     "Impossible de copier les Java Policy Files vers le r\xE9pertoire de Java Lib Security ! \nVeuillez d\xE9installer Tarnel puis r\xE9installer Tarnel."},
    {"ERROR_LOADING_TARNEL_DLL",
     "Error in loading tarnel.dll! tarneltray is not loaded.\nTarnel is not correctly installed! Please uninstall and reinstall Tarnel.",
     "Erreur de chargement de tarnel.dll. tarneltray n'a pas \xE9t\xE9 charg\xE9. \nVeuillez d\xE9installer Tarnel puis r\xE9installer Tarnel."},
    {"PLEASE_REINSTALL_TARNEL",
     "Tarnel is not correctly installed! Please uninstall and reinstall Tarnel.",
     "Veuillez d\xE9installer Tarnel puis r\xE9installer Tarnel."},
    {"TARNEL_IS_ALREADY_RUNNING",
     "Tarnel is already running. Please use the Windows taskbar to open Tarnel.",
     "Tarnel est d\xE9j\xE0 lanc\xE9 ! Veuillez appeler Tarnel \xE0 partir de la barre des t\xE2" "ches de Windows."},
    {"ERROR_SETTING_CLASSPATH",
     "Impossible to set CLASSPATH as Environment Variable.",
     "Impossible d'initalialiser la Variable d'Environnement CLASSPATH."},
    {"ERROR_SETTING_PATH",
     "Impossible to set PATH as Environment Variable.",
     "Impossible d'initalialiser la Variable d'Environnement PATH."},
    {"ERROR_MISSING_FILE", "Error. File is missing: ", "Error. Le fichier est introuvable: "},
};

// Byte for byte, so that a difference in a blank, a line feed or an accent shows.
void expectSameBytes(const char* expected, const CString& actual)
{
    EXPECT_EQ(std::string(expected), actual.str());
}

}  // namespace

TEST(MessageCatalogue, EveryTextInBothLanguages)
{
    ASSERT_EQ(21u, sizeof(kCatalogue) / sizeof(kCatalogue[0]));
    TarnelMessageMgr messages;
    for (const CatalogueText& entry : kCatalogue) {
        SCOPED_TRACE(entry.key);
        expectSameBytes(entry.english, messages.getLanguageMessage("en", entry.key));
        expectSameBytes(entry.french, messages.getLanguageMessage("fr", entry.key));
        // The catalogue holds no text of fewer than two characters, so the rule that
        // such a text gives back its key never applies to a catalogue key: every key
        // yields its own text, never itself.
        EXPECT_GT(std::strlen(entry.english), 1u);
        EXPECT_GT(std::strlen(entry.french), 1u);
    }
}

TEST(MessageCatalogue, OnlyTheExactLanguageFrSelectsFrench)
{
    const char* const notFrench[] = {"", "FR", "Fr", "fr_FR", "fr ", " fr", "fra", "f", "en", "de"};
    TarnelMessageMgr messages;
    EXPECT_STREQ("Broyer avec Tarnel", messages.getLanguageMessage("fr", "WIPE"));
    for (const char* language : notFrench) {
        SCOPED_TRACE(std::string("language \"") + language + "\"");
        EXPECT_STREQ("Wipe with Tarnel", messages.getLanguageMessage(language, "WIPE"));
    }
}

TEST(MessageCatalogue, KeyOutsideTheCatalogueComesBackAsItself)
{
    // Keys match exactly: a catalogue key in another case, or with a blank, is not in it.
    const char* const keys[] = {"wipe", "Wipe", "WIPE ", " WIPE", "NO_SUCH_KEY", "X", "", "TARNEL_THE_FILE!"};
    TarnelMessageMgr messages;
    for (const char* language : {"fr", "en"}) {
        for (const char* key : keys) {
            SCOPED_TRACE(std::string(language) + " \"" + key + "\"");
            expectSameBytes(key, messages.getLanguageMessage(language, key));
        }
    }
}
