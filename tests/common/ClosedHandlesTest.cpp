#include "common/TarnelAddRegistry.h"
#include "common/TarnelMessageMgr.h"
#include "common/TarnelPolicyMgr.h"

#include "HandleMark.h"
#include "RegistryTestKey.h"
#include "TestDirectory.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using TestSupport::handleMark;

TEST(ClosedHandles, EveryLookupClosesWhatItOpensOnEveryPath)
{
    RegistryTestKey preferences(HKEY_CURRENT_USER, "Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg");
    RegistryTestValue windows(HKEY_CURRENT_USER, "Control Panel\\International", "sLanguage");
    RegistryTestKey installation(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel");
    RegistryTestKey runtimes(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft\\Java Runtime Environment");
    TestDirectory files;
    files.makeDirectory("tarnel");
    files.makeDirectory("jre\\lib\\security");
    windows.setText("FRA");
    const std::string tooLong(128, 'x');

    TarnelPolicyMgr policy;
    // Each path sets up its own registry state: the keys are cleared first.
    const std::vector<std::function<void()>> paths = {
        [&] { preferences.clear(); TarnelMessageMgr().getMessage("WIPE"); },
        [&] { preferences.clear(); preferences.create(); TarnelAddRegistry().GetUserLanguage(); },
        [&] { preferences.setText("/Quenby/Language", tooLong); TarnelAddRegistry().GetUserLanguage(); },
        [&] { preferences.setText("/Quenby/Language", "fr"); TarnelMessageMgr().getMessage("WIPE"); },
        [&] { installation.clear(); policy.getRuntimeLibDir(); },
        [&] { installation.clear(); installation.create(); policy.getRuntimeLibDir(); },
        [&] { installation.setText("RuntimeLib", tooLong); policy.getRuntimeLibDir(); },
        [&] { installation.setText("RuntimeLib", "C:\\T\\tarnel.dll"); policy.getRuntimeLibDir(); },
        [&] { runtimes.clear(); policy.getJavaHome(); },
        [&] { runtimes.clear(); runtimes.create(); policy.getJavaHome(); },  // no CurrentVersion
        [&] { runtimes.setText("CurrentVersion", "1.4"); policy.getJavaHome(); },
        [&] { runtimes.setText("CurrentVersion", "1.6"); policy.getJavaHome(); },  // no per-version key
        [&] { runtimes.create("1.6"); policy.getJavaHome(); },  // no JavaHome
        [&] { runtimes.setText("JavaHome", tooLong, "1.6"); policy.getJavaHome(); },
        [&] { runtimes.setText("JavaHome", "C:\\J", "1.6"); policy.getJavaHome(); },
        // Policy jars: both sides missing, then copied, then equal, then a failed copy.
        [&] { policy.copyJavaPolicies(files.path() + "tarnel\\", files.path() + "jre\\"); },
        [&] {
            files.writeFile("tarnel\\local_policy.jar", "L");
            files.writeFile("tarnel\\US_export_policy.jar", "U");
            policy.copyJavaPolicies(files.path() + "tarnel\\", files.path() + "jre\\");
            policy.copyJavaPolicies(files.path() + "tarnel\\", files.path() + "jre\\");
            DeleteFileA((files.path() + "tarnel\\local_policy.jar").c_str());
            policy.copyJavaPolicies(files.path() + "tarnel\\", files.path() + "jre\\");
        },
    };

    // Once first, for whatever the system opens once per process (the predefined keys).
    for (const auto& path : paths) path();
    HANDLE before = handleMark();
    for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < paths.size(); ++i) {
            paths[i]();
            ASSERT_EQ(before, handleMark()) << "path " << i << " left a handle open";
        }
    }
}
