#include "common/TarnelPolicyMgr.h"

#include "RegistryTestKey.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const char kRuntimeKey[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";

// getJavaHome reads the override through the C runtime, so the tests change it there
// (_putenv also changes the process environment).
class JavaHome : public ::testing::Test {
protected:
    JavaHome() : m_runtimes(HKEY_LOCAL_MACHINE, kRuntimeKey)
    {
        if (const char* value = std::getenv("VELMORA_JAVA_HOME")) m_savedOverride = value;
        setOverride("");
    }
    ~JavaHome() override { setOverride(m_savedOverride); }

    static void setOverride(const std::string& value) { _putenv(("VELMORA_JAVA_HOME=" + value).c_str()); }

    // A runtime registered as current, with its home in its per-version key.
    void registerRuntime(const std::string& version, const std::string& home)
    {
        m_runtimes.setText("CurrentVersion", version);
        m_runtimes.setText("JavaHome", home, version);
    }

    RegistryTestKey m_runtimes;
    std::string m_savedOverride;
};

const std::string k127 = "1.8." + std::string(123, '9');

}  // namespace

TEST_F(JavaHome, VersionComparedWithOnePointFive)
{
    const struct { std::string version; bool accepted; } cases[] = {
        {"1", false}, {"1.4", false}, {"1.4.2", false}, {"1.10", false}, {"", false}, {"0.9", false},
        {"1.5", true}, {"1.5.0", true}, {"1.6", true}, {"1.8", true}, {"2", true}, {"10", true},
        // Longer than seven characters: the whole text is compared and names the key.
        {"1.8.0_392-b08", true}, {"1.4.2_19-b04", false}, {k127, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE("version \"" + row.version + "\"");
        const std::string home = "C:\\Java\\jre" + row.version.substr(0, 16);
        registerRuntime(row.version, home);
        EXPECT_EQ(row.accepted ? home + "\\" : "", TarnelPolicyMgr().getJavaHome().str());
    }
}

TEST_F(JavaHome, EmptyWithoutAUsableRegistration)
{
    EXPECT_EQ("", TarnelPolicyMgr().getJavaHome().str()) << "no runtime key";

    m_runtimes.create();
    EXPECT_EQ("", TarnelPolicyMgr().getJavaHome().str()) << "no CurrentVersion";

    m_runtimes.setText("CurrentVersion", "1.6");
    EXPECT_EQ("", TarnelPolicyMgr().getJavaHome().str()) << "no per-version key";

    m_runtimes.create("1.6");
    EXPECT_EQ("", TarnelPolicyMgr().getJavaHome().str()) << "no JavaHome";

    m_runtimes.setText("JavaHome", "C:\\Java\\other", "1.5");
    EXPECT_EQ("", TarnelPolicyMgr().getJavaHome().str()) << "JavaHome of another version only";

    m_runtimes.setText("JavaHome", "C:\\Java\\jre6", "1.6");
    m_runtimes.setText("CurrentVersion", "1.8." + std::string(124, '9'));
    EXPECT_EQ("", TarnelPolicyMgr().getJavaHome().str()) << "CurrentVersion of 128 characters";
}

TEST_F(JavaHome, HomeTextTakenAsStored)
{
    registerRuntime("1.6", "");
    EXPECT_EQ("\\", TarnelPolicyMgr().getJavaHome().str());
    registerRuntime("1.6", "C:\\Java\\jre6\\");
    EXPECT_EQ("C:\\Java\\jre6\\", TarnelPolicyMgr().getJavaHome().str());
    const std::string home127 = "C:\\" + std::string(124, 'h');
    registerRuntime("1.6", home127);
    EXPECT_EQ(home127 + "\\", TarnelPolicyMgr().getJavaHome().str());
    registerRuntime("1.6", home127 + "h");
    EXPECT_EQ("", TarnelPolicyMgr().getJavaHome().str()) << "JavaHome of 128 characters";
}

TEST_F(JavaHome, OverrideWinsWhateverIsRegistered)
{
    setOverride("D:\\jre");
    EXPECT_EQ("D:\\jre\\", TarnelPolicyMgr().getJavaHome().str()) << "no runtime registered";
    registerRuntime("1.4", "C:\\Java\\jre4");
    EXPECT_EQ("D:\\jre\\", TarnelPolicyMgr().getJavaHome().str()) << "an old runtime registered";
    registerRuntime("1.6", "C:\\Java\\jre6");
    EXPECT_EQ("D:\\jre\\", TarnelPolicyMgr().getJavaHome().str()) << "a usable runtime registered";
    setOverride("D:\\jre\\");
    EXPECT_EQ("D:\\jre\\", TarnelPolicyMgr().getJavaHome().str());
}
