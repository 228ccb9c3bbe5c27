// The installer's registry writers in this process, against the real registry: the
// 32-bit view of HKLM, and HKEY_USERS with profiles laid out by each case.
#include "common/RegistryValue.h"
#include "common/TarnelAddRegistry.h"
#include "common/TarnelErrorMgr.h"

#include "HandleMark.h"
#include "InstallerState.h"
#include "MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Lines = std::vector<std::string>;

const char kAddinKey[] = "Software\\Microsoft\\Office\\Outlook\\Addins\\Tarnelmail.Connect";
const char kOfficeMissing[] =
    "Microsoft Office 9.0/10.0/11.0 not found on this PC.\nQuenby Plug-in for Office will not be installed. ";

std::string errorBox(const std::string& text) { return boxLine("register_tests", text, "OK", "error"); }

std::string reason(DWORD code) { return std::string(TarnelErrorMgr().formatError(code)); }

std::string keyCreationBox(const std::string& root, const std::string& path, DWORD code)
{
    return errorBox("Registry failure. Could not create the registry key: \n" + root + "\\" + path + "\nReason: " +
                    reason(code));
}

class RegistryWriters : public ::testing::Test {
protected:
    // The boxes shown while the action runs, each answered with OK.
    static Lines boxesOf(const std::function<void()>& action)
    {
        MessageBoxWatcher watcher(GetCurrentProcessId(), Lines(4, "OK"));
        action();
        return watcher.stop();
    }

    OfficeKeys office;
    UserProfiles profiles;
    TarnelAddRegistry registry;
};

TEST_F(RegistryWriters, OfficeVersionIsTheFirstOfTheListWhoseOutlookIsInstalled)
{
    const std::string fits(127, 'p'), tooLong(128, 'p');  // 128 bytes with the null, and 129
    const DWORD number = 1;
    struct Case {
        std::vector<std::string> outlook;
        std::function<void(RegistryTestKey&)> more;
        const char* expected;
    };
    const Case cases[] = {
        {{"10.0", "11.0", "12.0", "13.0"}, nullptr, "13.0"},
        {{"11.0", "12.0"}, nullptr, "12.0"},
        {{"10.0", "11.0"}, nullptr, "11.0"},
        {{"10.0"}, nullptr, "10.0"},
        {{}, nullptr, "0"},
        {{"9.0", "14.0", "15.0"}, nullptr, "0"},  // not in the list
        // A version key without InstallRoot, an InstallRoot without Path: not installed.
        {{}, [](RegistryTestKey& k) { k.create("13.0\\Outlook"); k.create("12.0\\Outlook\\InstallRoot"); }, "0"},
        {{}, [&](RegistryTestKey& k) { k.setText("Path", tooLong, "13.0\\Outlook\\InstallRoot"); k.setText("Path", fits, "12.0\\Outlook\\InstallRoot"); }, "12.0"},
        // Neither the type nor the content of Path counts.
        {{}, [&](RegistryTestKey& k) { k.set("Path", REG_DWORD, &number, sizeof number, "11.0\\Outlook\\InstallRoot"); }, "11.0"},
        {{}, [](RegistryTestKey& k) { k.setText("Path", "", "10.0\\Outlook\\InstallRoot"); }, "10.0"},
    };
    for (const Case& c : cases) {
        office.clear();
        for (const std::string& version : c.outlook) office.installOutlook(version);
        if (c.more) c.more(office.key());
        Lines boxes = boxesOf([&] { EXPECT_EQ(std::string(c.expected), std::string(registry.GetOfficeVersion())) << c.expected; });
        EXPECT_EQ(Lines(), boxes);
        for (const char* version : {"13.0", "12.0", "11.0", "10.0"})
            if (std::string(version) == c.expected) {
                EXPECT_TRUE(registry.IsOutlookOfficeInstalled(version));
            }
    }
}

TEST_F(RegistryWriters, AddinKeyGoesToEveryProfileWithOutlookSettingsAndNoOther)
{
    office.installOutlook("11.0");
    Lines boxes = boxesOf([&] { EXPECT_FALSE(registry.AddOutlookInfos("en")); });
    EXPECT_EQ(Lines(), boxes) << "no profile has Outlook settings: no box";

    std::string first = profiles.add("A", true), other = profiles.add("B", false), last = profiles.add("C", true);
    // The language changes nothing; a run after the first opens the keys it made.
    for (const char* language : {"fr", "en", ""}) {
        boxes = boxesOf([&] { EXPECT_TRUE(registry.AddOutlookInfos(language)) << language; });
        EXPECT_EQ(Lines(), boxes) << language;
        EXPECT_EQ(kAddinValues, addinValuesOf(first)) << language;
        EXPECT_EQ(kAddinValues, addinValuesOf(last)) << language;
        EXPECT_EQ("", addinValuesOf(other)) << language;
        for (const std::string& profile : profiles.all())
            if (profile != first && profile != last) {
                EXPECT_EQ("", addinValuesOf(profile)) << profile;
            }
    }
}

TEST_F(RegistryWriters, FirstProfileThatCannotBeWrittenEndsTheWork)
{
    office.installOutlook("12.0");
    std::string first = profiles.add("A", true);
    std::string unwritable = profiles.addUnwritable("B");
    std::string last = profiles.add("C", true);
    Lines boxes = boxesOf([&] { EXPECT_FALSE(registry.AddOutlookInfos("fr")); });
    // A volatile key holds only volatile keys.
    EXPECT_EQ(Lines({keyCreationBox("HKEY_USERS", unwritable + "\\" + kAddinKey, ERROR_CHILD_MUST_BE_VOLATILE)}), boxes);
    EXPECT_EQ(kAddinValues, addinValuesOf(first)) << "written before the failure: kept";
    EXPECT_EQ("", addinValuesOf(last)) << "after the failure: not visited";
}

TEST_F(RegistryWriters, OfficeGoneOnceTheValuesAreWrittenKeepsThemAndSaysSo)
{
    std::string first = profiles.add("A", true), last = profiles.add("C", true);
    Lines boxes = boxesOf([&] { EXPECT_FALSE(registry.AddOutlookInfos("en")); });
    EXPECT_EQ(Lines({errorBox(kOfficeMissing)}), boxes);
    EXPECT_EQ(kAddinValues, addinValuesOf(first));
    EXPECT_EQ("", addinValuesOf(last));
}

// Through a key opened for reading only, every write is refused: the box names the
// value and the writer closes the key. (A key that takes FriendlyName and then refuses
// Description cannot be staged from outside, on Windows or Wine: access is granted per
// handle, so the add-in values are seen failing only at the first.)
TEST_F(RegistryWriters, FailedWriteNamesTheValueAndClosesTheKey)
{
    std::string profile = profiles.add("A", true);
    std::string path = profile + "\\Software\\Microsoft\\Office\\Outlook";
    const std::string valueLine = "Registry failure. Could not add value to the registry key: ";
    struct Case {
        std::function<BOOL(HKEY)> write;
        std::string box;
    };
    const Case cases[] = {
        {[&](HKEY key) { return registry.SetStringValue(key, REG_SZ, "Some\\Key", "Description", "Quenby Add-In"); },
         errorBox(valueLine + "Some\\Key\nName : Description\nValue: Quenby Add-In\nReason: " + reason(ERROR_ACCESS_DENIED))},
        // A number has no value line: an empty line stands in its place.
        {[&](HKEY key) { return registry.SetDwordValue(key, "Some\\Key", "LoadBehavior", 3); },
         errorBox(valueLine + "Some\\Key\nName : LoadBehavior\n\nReason: " + reason(ERROR_ACCESS_DENIED))},
        // The add-in values stop at the first: one box, naming FriendlyName.
        {[&](HKEY key) { return registry.WriteOutlookAddinValues(key); },
         errorBox(valueLine + kAddinKey + "\nName : FriendlyName\nValue: Quenby\nReason: " + reason(ERROR_ACCESS_DENIED))},
    };
    // Twice: the first round lets the message boxes open what they keep for good.
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            HANDLE before = TestSupport::handleMark();
            HKEY key;
            ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_USERS, path.c_str(), 0, KEY_QUERY_VALUE, &key));
            Lines boxes = boxesOf([&] { EXPECT_FALSE(c.write(key)); });
            EXPECT_EQ(Lines({c.box}), boxes);
            if (round == 1) {
                EXPECT_EQ(before, TestSupport::handleMark()) << "the key was left open";
            }
        }
    }
}

TEST_F(RegistryWriters, KeyThatCannotBeCreatedIsNamedWithItsRoot)
{
    RegistryTestKey tarnel(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel");
    tarnel.setText("RuntimeLib", "C:\\Before\\tarnel.dll");
    {
        WriteDeniedKey denied(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel");
        Lines boxes = boxesOf([&] { EXPECT_FALSE(registry.AddTarnelDll("C:\\After\\tarnel.dll")); });
        EXPECT_EQ(Lines({keyCreationBox("HKEY_LOCAL_MACHINE", "SOFTWARE\\Tarnel", ERROR_ACCESS_DENIED)}), boxes);
    }
    CString kept;
    EXPECT_TRUE(RegistryValue::readText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel", "RuntimeLib", kept));
    EXPECT_EQ(std::string("C:\\Before\\tarnel.dll"), std::string(kept));

    // Key paths are held to 259 characters; a longer one is refused before Windows sees it.
    std::string profile = profiles.add("Long", false);
    // Blanks let the box wrap the text: a box wider than the screen hides its icon.
    std::string longest = profile + "\\";
    while (longest.size() < 259) longest += longest.size() % 2 ? 'k' : ' ';
    HKEY key = nullptr;
    Lines boxes = boxesOf([&] { EXPECT_TRUE(registry.CreateUsersKey(HKEY_USERS, key, longest)); });
    EXPECT_EQ(Lines(), boxes);
    RegCloseKey(key);
    boxes = boxesOf([&] { EXPECT_FALSE(registry.CreateUsersKey(HKEY_USERS, key, longest + "k")); });
    EXPECT_EQ(Lines({keyCreationBox("HKEY_USERS", longest + "k", ERROR_FILENAME_EXCED_RANGE)}), boxes);
}

TEST_F(RegistryWriters, RuntimeLibHoldsThePathExactlyWithItsNull)
{
    RegistryTestKey tarnel(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel");
    for (const std::string& path : {std::string(), std::string("C:\\Program Files\\Tarnel\\tarnel.dll"),
                                    std::string(300, 'a') + "\\tarnel.dll", std::string(5000, 'b')}) {
        Lines boxes = boxesOf([&] { EXPECT_TRUE(registry.AddTarnelDll(path.c_str())); });
        EXPECT_EQ(Lines(), boxes);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel", 0, KEY_QUERY_VALUE, &key));
        std::vector<char> data(path.size() + 16, 'x');
        DWORD type = 0, size = static_cast<DWORD>(data.size());
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "RuntimeLib", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size));
        RegCloseKey(key);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        ASSERT_EQ(path.size() + 1, size);
        EXPECT_EQ(path + '\0', std::string(data.data(), size));
    }
}

// Each path is also held to its result and its boxes, so that one that stopped
// failing (and so stopped opening what its failure opens) would be seen.
TEST_F(RegistryWriters, EveryOperationClosesWhatItOpensOnEveryPath)
{
    RegistryTestKey tarnel(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel");
    tarnel.create();
    profiles.add("A", true);
    profiles.add("B", false);
    auto result = [](BOOL b) { return std::string(b ? "TRUE" : "FALSE"); };
    struct Path {
        std::function<std::string()> run;
        std::string result;
        Lines boxes;
    };
    const std::vector<Path> paths = {
        {[&] { return result(registry.AddTarnelDll("C:\\T\\tarnel.dll")); }, "TRUE", {}},
        {[&] {
             WriteDeniedKey denied(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel");
             return result(registry.AddTarnelDll("C:\\T\\tarnel.dll"));
         },
         "FALSE", {keyCreationBox("HKEY_LOCAL_MACHINE", "SOFTWARE\\Tarnel", ERROR_ACCESS_DENIED)}},
        {[&] { office.clear(); return std::string(registry.GetOfficeVersion()); }, "0", {}},
        {[&] { office.installOutlook("10.0"); return std::string(registry.GetOfficeVersion()); }, "10.0", {}},
        {[&] { return result(registry.AddOutlookInfos("en")); }, "TRUE", {}},
        {[&] { office.clear(); return result(registry.AddOutlookInfos("en")); }, "FALSE", {errorBox(kOfficeMissing)}},
    };
    // A watcher that answers every box for the whole case, so that its own handles
    // are open throughout; each path once first, for what the boxes keep for good.
    Lines expectedBoxes;
    for (int pass = 0; pass < 3; ++pass)
        for (const Path& path : paths) expectedBoxes.insert(expectedBoxes.end(), path.boxes.begin(), path.boxes.end());
    MessageBoxWatcher watcher(GetCurrentProcessId(), Lines(expectedBoxes.size(), "OK"));
    for (const Path& path : paths) EXPECT_EQ(path.result, path.run());
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < paths.size(); ++i) {
            HANDLE before = TestSupport::handleMark();
            EXPECT_EQ(paths[i].result, paths[i].run()) << "path " << i;
            EXPECT_EQ(before, TestSupport::handleMark()) << "path " << i << " left a handle open";
        }
    }
    EXPECT_EQ(expectedBoxes, watcher.stop());
}

}  // namespace
