#include "common/TarnelAddRegistry.h"
#include "common/TarnelDigestMgr.h"
#include "common/TarnelErrorMgr.h"
#include "common/TarnelPolicyMgr.h"

#include "InstallationLayout.h"
#include "MessageBoxWatcher.h"
#include "RegistryTestKey.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using Lines = std::vector<std::string>;

const char kReinstall[] = "Tarnel is not correctly installed! Please uninstall and reinstall Tarnel.";
const char kJavaNotFound[] =
    "Java is not installed! Please install Java to use Tarnel. Download Java at: http://www.java.com/download";

// The runtime jars in the order the class path lists them.
const char* const kRuntimeJars[] = {"tarnel_provider.jar", "tarnel_crypto.jar", "tarnel_app.jar",
                                    "jdic.jar",            "swingx.jar",        "syntheticaAll.jar"};

std::string errorBox(const std::string& text) { return boxLine("install_tests", text, "OK", "error"); }

std::string missingFileBox(const std::string& path)
{
    return errorBox("Error. File is missing:  (" + path + ")\n" + kReinstall);
}

// The variable as processes started from here inherit it, which is also what the
// C runtime reports.
std::string environment(const char* name)
{
    char value[32767];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    const char* runtime = std::getenv(name);
    EXPECT_EQ(std::string(runtime ? runtime : ""), std::string(value, length)) << name;
    return std::string(value, length);
}

void setEnvironment(const char* name, const char* value)
{
    _putenv((std::string(name) + "=" + (value ? value : "")).c_str());
}

// Each case states the user's language: English unless the case sets another.
class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        language.setText("/Quenby/Language", "en");
        for (int i = 0; i < 2; ++i) {
            const char* value = std::getenv(kSaved[i]);
            m_hadValue[i] = value != nullptr;
            m_savedValue[i] = value ? value : "";
        }
    }
    void TearDown() override
    {
        for (int i = 0; i < 2; ++i) setEnvironment(kSaved[i], m_hadValue[i] ? m_savedValue[i].c_str() : nullptr);
    }

    // The boxes that one run of the test shows, each answered with OK.
    Lines boxesOf(bool show, BOOL expected)
    {
        MessageBoxWatcher watcher(GetCurrentProcessId(), {"OK", "OK"});
        EXPECT_EQ(expected, TarnelAddRegistry().TestTarnelInstall(show));
        return watcher.stop();
    }
    Lines failingBoxes() { return boxesOf(true, FALSE); }

    std::string jarPath(const std::string& separatorAfterEach) const
    {
        std::string classpath;
        for (const char* jar : kRuntimeJars) classpath += installation.directory() + jar + separatorAfterEach;
        return classpath;
    }

    RegistryTestKey language{HKEY_CURRENT_USER, "Software\\JavaSoft\\Prefs\\com\\velmora\\pgp\\msg"};
    InstallationLayout installation;
    const std::string& dir = installation.directory();

private:
    const char* const kSaved[2] = {"PATH", "CLASSPATH"};
    bool m_hadValue[2] = {};
    std::string m_savedValue[2];
};

TEST_F(InstallationTest, CompleteInstallationPassesQuietlyAndCopiesThePolicyJars)
{
    EXPECT_EQ(Lines(), boxesOf(true, TRUE));
    TarnelDigestMgr digests;
    for (const char* jar : {"local_policy.jar", "US_export_policy.jar"}) {
        char* source = digests.digestFile((dir + jar).c_str());
        char* copy = digests.digestFile((installation.javaHome() + "lib\\security\\" + jar).c_str());
        ASSERT_TRUE(source && copy) << jar;
        EXPECT_STREQ(source, copy);
        std::free(source);
        std::free(copy);
    }
}

// The Java home is looked at first: with no installation directory either, only its
// box is shown. A home of one character (the lone backslash of an empty path) counts
// as none.
TEST_F(InstallationTest, JavaNotFound)
{
    struct Case {
        const char* what;
        const char* javaHome;  // VELMORA_JAVA_HOME; nullptr: unset
        bool installed;
    };
    const Case cases[] = {
        {"no Java home", nullptr, true},
        {"a Java home of one character", "\\", true},
        {"neither a Java home nor an installation directory", nullptr, false},
    };
    for (const Case& c : cases) {
        setEnvironment("VELMORA_JAVA_HOME", c.javaHome);
        ASSERT_EQ(c.javaHome ? 1 : 0, TarnelPolicyMgr().getJavaHome().GetLength())
            << c.what << ": a Java runtime is registered in this prefix";
        if (!c.installed) installation.setRuntimeLib(dir + "other.dll");
        EXPECT_EQ(Lines({errorBox(kJavaNotFound)}), failingBoxes()) << c.what;
    }
}

TEST_F(InstallationTest, InstallationDirectoryNotFound)
{
    const Lines tarnelDllNotFound = {
        errorBox(std::string("tarnel.dll not found! \n") + kReinstall)};
    installation.setRuntimeLib(dir + "other.dll");  // gives the one-character directory "\"
    EXPECT_EQ(tarnelDllNotFound, failingBoxes());
    installation.setRuntimeLib("tarnel.dll");
    EXPECT_EQ(tarnelDllNotFound, failingBoxes());
}

TEST_F(InstallationTest, MissingJarOrLibraryNamesItsPath)
{
    for (const char* name : {"tarnel_provider.jar", "syntheticaAll.jar", "velmjnidll.dll", "RegistryJni2.dll"}) {
        InstallationLayout fresh;
        fresh.remove(name);
        EXPECT_EQ(Lines({missingFileBox(fresh.directory() + name)}), failingBoxes()) << name;
    }
}

// The texts in the user's language: French, with its accented letters.
TEST_F(InstallationTest, FrenchUserGetsTheFrenchMissingFileBox)
{
    language.setText("/Quenby/Language", "fr");
    installation.remove("jdic.jar");
    EXPECT_EQ(Lines({errorBox("Error. Le fichier est introuvable:  (" + dir + "jdic.jar)\n"
                              "Veuillez d\xE9installer Tarnel puis r\xE9installer Tarnel.")}),
              failingBoxes());
}

TEST_F(InstallationTest, PolicyCopyFailureShowsBothDirectoriesAndTheReason)
{
    // No lib\security: the copy cannot find its path.
    std::string security = installation.javaHome() + "lib\\security\\";
    ASSERT_TRUE(RemoveDirectoryA(security.c_str()));
    std::string opening = std::string("Impossible to copy the Java Policy Files to Java Lib Security Directory!\n") +
                          kReinstall + "\n\n" + dir + "\n" + installation.javaHome() + "\n";
    EXPECT_EQ(Lines({errorBox(opening + std::string(TarnelErrorMgr().formatError(ERROR_PATH_NOT_FOUND)))}),
              failingBoxes());

    // A directory in the place of the jar: access denied, with the administrator
    // sentences. (Wine ignores the read-only attribute when a file is copied over.)
    CreateDirectoryA(security.c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryA((security + "local_policy.jar").c_str(), nullptr));
    EXPECT_EQ(Lines({errorBox(opening + std::string(TarnelErrorMgr().formatError(ERROR_ACCESS_DENIED)))}),
              failingBoxes());
}

TEST_F(InstallationTest, PathGetsTheDirectoryInFrontUnlessItHoldsIt)
{
    std::string withoutBackslash = dir.substr(0, dir.size() - 1);
    std::string otherCase = dir;
    for (char& c : otherCase) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(dir, otherCase);

    struct Case {
        const char* what;
        const char* before;  // nullptr: PATH unset
        std::string after;
    };
    std::string inLongerEntry = "C:\\windows;" + dir + "bin;C:\\tools";
    const Case cases[] = {
        {"contained in a longer entry", inLongerEntry.c_str(), inLongerEntry},
        {"without its backslash", withoutBackslash.c_str(), dir + ";" + withoutBackslash},
        {"in another case", otherCase.c_str(), dir + ";" + otherCase},
        {"unset", nullptr, dir + ";"},
    };
    for (const Case& c : cases) {
        setEnvironment("PATH", c.before);
        EXPECT_EQ(Lines(), boxesOf(true, TRUE)) << c.what;
        EXPECT_EQ(c.after, environment("PATH")) << c.what;
    }
}

// A PATH that the directory would take past the 32,767 characters of a variable is not
// set: the test fails with its box and goes no further, CLASSPATH untouched.
TEST_F(InstallationTest, PathThatWouldGrowPastTheLimitIsRefused)
{
    const size_t kMaxValueChars = 32766;   // the terminator makes 32,767
    for (size_t length : {kMaxValueChars, kMaxValueChars + 1}) {
        setEnvironment("CLASSPATH", "C:\\old\\other.jar;");
        std::string before(length - dir.size() - 1, 'p');
        setEnvironment("PATH", before.c_str());
        ASSERT_EQ(before, environment("PATH"));
        bool fits = length == kMaxValueChars;
        EXPECT_EQ(fits ? Lines() : Lines({errorBox("Impossible to set PATH as Environment Variable.")}),
                  boxesOf(true, fits))
            << length;
        EXPECT_EQ(fits ? dir + ";" + before : before, environment("PATH")) << length;
        EXPECT_EQ(fits ? jarPath(";") : "C:\\old\\other.jar;", environment("CLASSPATH")) << length;
    }
}

TEST_F(InstallationTest, ClasspathIsReplacedByTheSixJarsInOrder)
{
    setEnvironment("CLASSPATH", "C:\\old\\other.jar;");
    EXPECT_EQ(Lines(), boxesOf(true, TRUE));
    EXPECT_EQ(jarPath(";"), environment("CLASSPATH"));
    EXPECT_EQ("CLASSPATH=" + jarPath(";"), std::string(TarnelAddRegistry().getClasspath()));
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(kRuntimeJars[i], runtimeJars[i]) << i;
}

TEST_F(InstallationTest, FirstMissingFileStopsTheTestAfterPathAndClasspathAreSet)
{
    installation.remove("swingx.jar");
    installation.remove("RegistryJni2.dll");
    ASSERT_TRUE(RemoveDirectoryA((installation.javaHome() + "lib\\security\\").c_str()));  // copy would fail
    setEnvironment("PATH", "C:\\windows");
    EXPECT_EQ(Lines({missingFileBox(dir + "swingx.jar")}), failingBoxes());
    EXPECT_EQ(dir + ";C:\\windows", environment("PATH"));
    EXPECT_EQ(jarPath(";"), environment("CLASSPATH"));
}

TEST_F(InstallationTest, QuietFormShowsNothing)
{
    installation.remove("swingx.jar");
    EXPECT_EQ(Lines(), boxesOf(false, FALSE));

    MessageBoxWatcher watcher(GetCurrentProcessId(), {"OK"});
    TarnelAddRegistry registry;
    EXPECT_FALSE(registry.checkFile((dir + "swingx.jar").c_str(), false));
    EXPECT_TRUE(registry.checkFile((dir + "jdic.jar").c_str(), false));
    EXPECT_TRUE(registry.checkFile(dir.substr(0, dir.size() - 1).c_str(), false));  // a directory counts
    EXPECT_FALSE(registry.checkFile((dir + "swingx.jar").c_str(), true));
    EXPECT_EQ(Lines({missingFileBox(dir + "swingx.jar")}), watcher.stop());
}

}  // namespace
