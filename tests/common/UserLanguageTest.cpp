#include "common/TarnelAddRegistry.h"
#include "common/TarnelMessageMgr.h"

#include "RegistryTestKey.h"

#include <gtest/gtest.h>

namespace {

const char kPreferenceKey[] = "Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg";
const char kPreferenceValue[] = "/Quenby/Language";

// How the Java preference is laid out for a case: no key, the key without the value,
// or the value with this registry type and these bytes.
const DWORD kNoKey = 0xFFFFFFF0;
const DWORD kNoValue = 0xFFFFFFF1;

struct LanguageCase {
    const char* what;
    DWORD preferenceType;
    std::string preference;  // the bytes stored, exactly
    const char* windows;     // sLanguage, or nullptr for none
    std::string expected;
};

std::string text(const std::string& value) { return value + '\0'; }

const std::string k127(127, 'q');
const std::string k128(128, 'q');

const LanguageCase kCases[] = {
    {"preference fr wins over the Windows setting", REG_SZ, text("fr"), "ENU", "fr"},
    {"preference fr_FR is returned whole", REG_SZ, text("fr_FR"), "FRA", "fr_FR"},
    {"preference kept as stored, case and all", REG_SZ, text("FR"), "FRA", "FR"},
    {"empty preference: the Windows setting is not consulted", REG_SZ, text(""), "FRA", ""},
    {"no preference key: the Windows setting", kNoKey, "", "FRA", "fr"},
    {"preference key without the value: the Windows setting", kNoValue, "", "FRA", "fr"},
    {"Windows setting ENU", kNoKey, "", "ENU", "en"},
    {"one-letter Windows setting", kNoKey, "", "D", "d"},
    {"Windows setting already in lower case", kNoKey, "", "deu", "de"},
    {"neither source", kNoKey, "", nullptr, ""},
    {"preference of 127 characters fits its 128 bytes", REG_SZ, text(k127), "FRA", k127},
    {"preference of 128 characters does not fit", REG_SZ, text(k128), "FRA", "fr"},
    {"over-long preference and no Windows setting", REG_SZ, text(k128), nullptr, ""},
    {"binary preference without a zero byte", REG_BINARY, "fr", "ENU", "fr"},
    {"binary preference up to its first zero byte", REG_BINARY, std::string("fr\0en", 5), "ENU", "fr"},
    {"DWORD preference as its bytes: 66 72 00 00", REG_DWORD, std::string("\x66\x72\x00\x00", 4), "ENU", "fr"},
    // A value that fills the whole buffer without a zero byte ends after the bytes read.
    {"binary preference of 128 bytes, no zero byte", REG_BINARY, k128, "FRA", k128},
    {"binary preference of 129 bytes", REG_BINARY, k128 + "q", "FRA", "fr"},
};

}  // namespace

TEST(UserLanguage, JavaPreferenceThenWindowsSetting)
{
    for (const LanguageCase& row : kCases) {
        SCOPED_TRACE(row.what);
        RegistryTestKey preferences(HKEY_CURRENT_USER, kPreferenceKey);
        RegistryTestValue windows(HKEY_CURRENT_USER, "Control Panel\\International", "sLanguage");
        if (row.preferenceType == kNoValue)
            preferences.create();
        else if (row.preferenceType != kNoKey)
            preferences.set(kPreferenceValue, row.preferenceType, row.preference.data(),
                            static_cast<DWORD>(row.preference.size()));
        if (row.windows) windows.setText(row.windows);

        EXPECT_EQ(row.expected, TarnelAddRegistry().GetUserLanguage().str());
        // Each lookup reads the registry afresh: the message follows at once.
        const char* wipe = row.expected == "fr" ? "Broyer avec Tarnel" : "Wipe with Tarnel";
        EXPECT_STREQ(wipe, TarnelMessageMgr().getMessage("WIPE"));
    }
}
