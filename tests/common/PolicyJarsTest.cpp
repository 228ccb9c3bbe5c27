#include "common/TarnelPolicyMgr.h"

#include "TestDirectory.h"

#include <gtest/gtest.h>

namespace {

const char* const kJars[] = {"local_policy.jar", "US_export_policy.jar"};

// One jar's two sides: nullptr for a file that is not there.
struct JarSides {
    const char* source;
    const char* destination;
};

struct PolicyCase {
    const char* what;
    JarSides jars[2];
    DWORD expected;
    // What each destination holds afterwards (nullptr: still missing), and whether it
    // was written: a destination that is left alone keeps its old time.
    JarSides after[2];  // .source unused
    bool written[2];
};

const PolicyCase kCases[] = {
    {"identical jars", {{"L1", "L1"}, {"U1", "U1"}}, 0, {{nullptr, "L1"}, {nullptr, "U1"}}, {false, false}},
    {"destinations missing", {{"L1", nullptr}, {"U1", nullptr}}, 0, {{nullptr, "L1"}, {nullptr, "U1"}}, {true, true}},
    {"other content", {{"L1", "L0"}, {"U1", "U0 longer"}}, 0, {{nullptr, "L1"}, {nullptr, "U1"}}, {true, true}},
    {"empty source over content", {{"", "L0"}, {"U1", "U1"}}, 0, {{nullptr, ""}, {nullptr, "U1"}}, {true, false}},
    {"both sides missing", {{nullptr, nullptr}, {nullptr, nullptr}}, 0, {{nullptr, nullptr}, {nullptr, nullptr}}, {false, false}},
    // A missing source with a destination present: the copy is tried and fails, and
    // the second jar is not looked at.
    {"first source missing", {{nullptr, "L0"}, {"U1", "U0"}}, ERROR_FILE_NOT_FOUND, {{nullptr, "L0"}, {nullptr, "U0"}}, {false, false}},
    {"second source missing", {{"L1", "L1"}, {nullptr, "U0"}}, ERROR_FILE_NOT_FOUND, {{nullptr, "L1"}, {nullptr, "U0"}}, {false, false}},
    // Nothing is undone: the first jar stays copied.
    {"first copied, second source missing", {{"L1", "L0"}, {nullptr, "U0"}}, ERROR_FILE_NOT_FOUND, {{nullptr, "L1"}, {nullptr, "U0"}}, {true, false}},
};

// An installation directory "tarnel\" and a Java home "jre\" in a fresh directory.
class JarLayout {
public:
    explicit JarLayout(const JarSides (&jars)[2])
    {
        m_root.makeDirectory("tarnel");
        m_root.makeDirectory("jre\\lib\\security");
        for (int jar = 0; jar < 2; ++jar) {
            if (jars[jar].source) m_root.writeFile(source(jar), jars[jar].source);
            if (!jars[jar].destination) continue;
            m_root.writeFile(destination(jar), jars[jar].destination);
            ageFile(m_root.path() + destination(jar));
            m_agedTime[jar] = lastWriteTime(m_root.path() + destination(jar));
        }
    }

    static std::string source(int jar) { return "tarnel\\" + std::string(kJars[jar]); }
    static std::string destination(int jar) { return "jre\\lib\\security\\" + std::string(kJars[jar]); }
    std::string path(const std::string& relative) const { return m_root.path() + relative; }

    DWORD copy() const
    {
        return TarnelPolicyMgr().copyJavaPolicies(m_root.path() + "tarnel\\", m_root.path() + "jre\\");
    }

    void expectDestination(int jar, const char* content, bool written) const
    {
        SCOPED_TRACE(kJars[jar]);
        if (!content) {
            EXPECT_FALSE(m_root.exists(destination(jar)));
            return;
        }
        std::string actual;
        ASSERT_TRUE(m_root.readFile(destination(jar), actual));
        EXPECT_EQ(content, actual);
        ULONGLONG time = lastWriteTime(path(destination(jar)));
        if (written)
            EXPECT_NE(m_agedTime[jar], time);
        else
            EXPECT_EQ(m_agedTime[jar], time);
    }

    TestDirectory m_root;

private:
    ULONGLONG m_agedTime[2] = {};
};

}  // namespace

TEST(PolicyJars, CopiedWhenTheDigestsDiffer)
{
    for (const PolicyCase& row : kCases) {
        SCOPED_TRACE(row.what);
        JarLayout layout(row.jars);
        EXPECT_EQ(row.expected, layout.copy());
        for (int jar = 0; jar < 2; ++jar) layout.expectDestination(jar, row.after[jar].destination, row.written[jar]);
    }
}

// The first copy fails: its error comes back and the second jar is left alone, though
// it differs.
TEST(PolicyJars, FirstFailedCopyEndsTheWork)
{
    const JarSides jars[2] = {{"L1", "L0"}, {"U1", "U0"}};
    {
        // As when a running Java holds its jar open. (A read-only destination is no
        // help here: the tests run as root, and Wine then writes over read-only files.)
        SCOPED_TRACE("first destination held open without sharing");
        JarLayout layout(jars);
        HANDLE held = CreateFileA(layout.path(JarLayout::destination(0)).c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), layout.copy());
        CloseHandle(held);
        layout.expectDestination(0, "L0", false);
        layout.expectDestination(1, "U0", false);
    }
    {
        SCOPED_TRACE("no lib\\security directory");
        const JarSides sourcesOnly[2] = {{"L1", nullptr}, {"U1", nullptr}};
        JarLayout layout(sourcesOnly);
        ASSERT_TRUE(RemoveDirectoryA(layout.path("jre\\lib\\security").c_str()));
        EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), layout.copy());
    }
}
