// velmjnidll under Wine, loaded with LoadLibraryA by a native caller (jvmcaller) in a
// fresh process per case, with the jvm.dll stand-in laid out under a fake Java home
// and the registered Java runtime set up in the real registry (32-bit view). Each case
// compares the caller's whole transcript and the stand-in's log of JNI_CreateJavaVM
// calls. In the texts of a case, {home} is the fake Java home, {jvm} the jvm.dll under
// it, {stub} the stand-in as built and {log} the stand-in's log file.
#include <gtest/gtest.h>

#include "CallerProcess.h"
#include "FakeJavaHome.h"
#include "JavaRuntimeRegistry.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

enum class JvmFile { Stub, NoEntry, None };

// What the registry holds for the Java runtime; null for a value or key left out.
struct Registration {
    bool rootKey;
    const char* currentVersion;
    const char* versionKey;  // the subkey created, usually the same as currentVersion
    const char* runtimeLib;
    DWORD runtimeLibBytes = 0;  // the bytes written; 0: the text and its terminator
};

const Registration kNotRegistered = {false, nullptr, nullptr, nullptr};
const Registration kRegistered = {true, "1.6.0_01", "1.6.0_01", "{jvm}"};

struct LoaderCase {
    const char* name;
    Registration registration;
    JvmFile jvmFile;
    std::vector<std::string> environment;  // NAME=value at the start of the caller
    std::vector<std::string> commands;
    std::vector<std::string> output;
    std::vector<std::string> log;  // the stand-in's log; empty: no VM creation asked
    size_t homeLength;
    std::string homeSuffix;  // put at the end of the fake Java home's name
};

std::string digits(size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i) text += char('0' + i % 10);
    return text;
}

const char kCreation[] = "JNI_CreateJavaVM version=0x00010002 nOptions=1 ignoreUnrecognized=0";

std::vector<std::string> creation(const std::string& classpath, int times = 1)
{
    std::vector<std::string> lines;
    for (int i = 0; i < times; ++i) {
        lines.push_back(kCreation);
        lines.push_back("option[0]=-Djava.class.path=" + classpath);
    }
    return lines;
}

const std::vector<std::string> kNoCreation;

// The transcript of "load env status statusText test:hello" when the search fails.
std::vector<std::string> searchFails(int status, const std::string& name)
{
    return {"load ok", "env null", "status " + std::to_string(status),
            "statusText " + name + " size 30 new", "test " + name + " size 30 new"};
}

const std::vector<std::string> kSearchCommands = {"load", "env", "status", "statusText", "test:hello"};
const std::vector<std::string> kSearchSucceeds = {"load ok", "env 1", "status 0", "statusText JVM_OK size 30 new",
                                                  "test velmjni:hello size 14 new"};

Registration withVersion(const char* version, const char* runtimeLib = "{jvm}")
{
    return {true, version, version, runtimeLib};
}

// A path of that many characters to a file that does not exist.
std::string missingDllPath(size_t length)
{
    return "C:\\" + std::string(length - 9, 'r') + "\\a.dll";
}

const size_t kJvmBelowHome = sizeof("\\jre\\bin\\client\\jvm.dll") - 1;
const std::string kLongRuntimeLib127 = missingDllPath(127);
const std::string kLongRuntimeLib128 = missingDllPath(128);
const std::string kLongVersion128(128, '9');

std::vector<LoaderCase> loaderCases()
{
    const std::string notInstalled = "JVM_NOT_INSTALLED";
    return {
        // Before any VM: status, texts and the two test entries.
        {"AtLoadStatusIsOkAndTheTextsAreNewBlocks", kRegistered, JvmFile::Stub, {},
         {"load", "status", "statusText", "version", "version", "testBytes:0", "testBytes:12345"},
         {"load ok", "status 0", "statusText JVM_OK size 30 new", "version 1.05a 2006/05/03 size 20 new",
          "version 1.05a 2006/05/03 size 20 new", "testBytes OK Test Bytes static 1",
          "testBytes OK Test Bytes static 1"},
         kNoCreation},
        {"TestAndTestBytesRemoveTheirArgumentSetClasspathDoesNot", kNotRegistered, JvmFile::None, {},
         {"load", "conventions"}, {"load ok", "conventions setClasspath 0 test 4 testBytes 4"}, kNoCreation},

        // The search through the registry.
        {"NoJavaRuntimeKey", kNotRegistered, JvmFile::Stub, {}, kSearchCommands, searchFails(-1, notInstalled),
         kNoCreation},
        {"NoCurrentVersion", {true, nullptr, "1.6.0_01", "{jvm}"}, JvmFile::Stub, {}, kSearchCommands,
         searchFails(-1, notInstalled), kNoCreation},
        {"Version142IsTooLow", withVersion("1.4.2"), JvmFile::Stub, {}, kSearchCommands,
         searchFails(-1, notInstalled), kNoCreation},
        {"Version1IsTooLow", withVersion("1"), JvmFile::Stub, {}, kSearchCommands, searchFails(-1, notInstalled),
         kNoCreation},
        {"Version110ComparesAsTextAndIsTooLow", withVersion("1.10"), JvmFile::Stub, {}, kSearchCommands,
         searchFails(-1, notInstalled), kNoCreation},
        {"CurrentVersionOf128CharactersCannotBeRead", withVersion(kLongVersion128.c_str()), JvmFile::Stub, {},
         kSearchCommands, searchFails(-1, notInstalled), kNoCreation},
        {"VersionKeyMissing", {true, "1.5", nullptr, nullptr}, JvmFile::Stub, {}, kSearchCommands,
         searchFails(-1, notInstalled), kNoCreation},
        {"RuntimeLibMissing", {true, "1.5", "1.5", nullptr}, JvmFile::Stub, {}, kSearchCommands,
         searchFails(-2, "JVM_REGKEY_LIB_ERROR"), kNoCreation},
        {"RuntimeLibOf128CharactersCannotBeRead", withVersion("1.5", kLongRuntimeLib128.c_str()), JvmFile::Stub,
         {}, kSearchCommands, searchFails(-2, "JVM_REGKEY_LIB_ERROR"), kNoCreation},
        // The first 127 bytes name the jvm.dll laid out: a value cut to fit the buffer
        // would load it.
        {"RuntimeLibOf128BytesWithoutTerminatorCannotBeRead", {true, "1.5", "1.5", "{jvm}x", 128}, JvmFile::Stub,
         {}, kSearchCommands, searchFails(-2, "JVM_REGKEY_LIB_ERROR"), kNoCreation, 127 - kJvmBelowHome},
        {"RuntimeLibOf127CharactersIsReadAndTried", withVersion("1.5", kLongRuntimeLib127.c_str()), JvmFile::Stub,
         {}, kSearchCommands, searchFails(-3, "JVM_LIB_NOTFOUND"), kNoCreation},
        {"RuntimeLibNotLoadable", withVersion("1.5", "{home}\\nowhere\\jvm.dll"), JvmFile::Stub, {},
         kSearchCommands, searchFails(-3, "JVM_LIB_NOTFOUND"), kNoCreation},
        {"Version15Passes", withVersion("1.5"), JvmFile::Stub, {}, kSearchCommands, kSearchSucceeds, creation("")},
        {"Version150Passes", withVersion("1.5.0"), JvmFile::Stub, {}, kSearchCommands, kSearchSucceeds,
         creation("")},
        {"Version16001Passes", kRegistered, JvmFile::Stub, {}, kSearchCommands, kSearchSucceeds, creation("")},

        // VELMORA_JAVA_HOME: decides alone, as it stood when the library was loaded.
        {"JavaHomeNeedsNoRegistry", kNotRegistered, JvmFile::Stub, {"VELMORA_JAVA_HOME={home}"},
         kSearchCommands, kSearchSucceeds, creation("")},
        {"WrongJavaHomeWinsOverTheRegistry", kRegistered, JvmFile::Stub, {"VELMORA_JAVA_HOME={home}\\nowhere"},
         kSearchCommands, searchFails(-3, "JVM_LIB_NOTFOUND"), kNoCreation},
        {"EmptyJavaHomeDoesNotFallBackToTheRegistry", kRegistered, JvmFile::Stub, {"VELMORA_JAVA_HOME="},
         kSearchCommands, searchFails(-3, "JVM_LIB_NOTFOUND"), kNoCreation},
        // The path built holds two backslashes before "jre"; Windows, and Wine, read
        // them as one, so all a test can show is that the library loads.
        {"JavaHomeEndingWithABackslashIsUsedUnchanged", kNotRegistered, JvmFile::Stub,
         {"VELMORA_JAVA_HOME={home}\\"}, kSearchCommands, kSearchSucceeds, creation("")},
        {"JavaHomeOf216CharactersFits", kNotRegistered, JvmFile::Stub, {"VELMORA_JAVA_HOME={home}"},
         kSearchCommands, kSearchSucceeds, creation(""), 216},
        // The path would be 240 characters: refused although a jvm.dll lies there.
        {"JavaHomeOf217CharactersIsRefused", kNotRegistered, JvmFile::Stub, {"VELMORA_JAVA_HOME={home}"},
         kSearchCommands, searchFails(-3, "JVM_LIB_NOTFOUND"), kNoCreation, 217},
        // Without its backslash the home has 216 characters and a jvm.dll: trimmed, it
        // would load.
        {"JavaHomeOf217CharactersEndingWithABackslashIsRefused", kNotRegistered, JvmFile::Stub,
         {"VELMORA_JAVA_HOME={home}\\"}, kSearchCommands, searchFails(-3, "JVM_LIB_NOTFOUND"), kNoCreation, 216},
        // Windows hands its narrow environment block out in the OEM code page, but
        // LoadLibraryA and the VM read the ANSI one. Wine converts both ways with the
        // ANSI page, so only a conversion from UTF-16 with the wrong page shows here;
        // where the block comes from is checked in the library's import table
        // (Velmjnidll.TakesTheEnvironmentInUtf16).
        {"JavaHomeAndClasspathOutsideAsciiStayInTheAnsiCodePage", kNotRegistered, JvmFile::Stub,
         {"VELMORA_JAVA_HOME={home}", "CLASSPATH=C:\\r\xE9pertoire \xE0\\caf\xE9.jar"}, kSearchCommands,
         kSearchSucceeds, creation("C:\\r\xE9pertoire \xE0\\caf\xE9.jar"), 0, "-\xE9\xE8\xEA\xE0"},
        {"JavaHomeSetInTheProcessBeforeTheLoadIsSeen", kNotRegistered, JvmFile::Stub, {},
         {"setenv:VELMORA_JAVA_HOME={home}", "load", "env", "status"}, {"load ok", "env 1", "status 0"},
         creation("")},
        {"JavaHomeSetAfterTheLoadIsNotSeen", kRegistered, JvmFile::Stub, {},
         {"load", "setenv:VELMORA_JAVA_HOME={home}\\nowhere", "env", "status"}, {"load ok", "env 1", "status 0"},
         creation("")},
        {"JavaHomeRemovedAfterTheLoadIsStillSeen", kNotRegistered, JvmFile::Stub, {"VELMORA_JAVA_HOME={home}"},
         {"load", "unsetenv:VELMORA_JAVA_HOME", "env", "status"}, {"load ok", "env 1", "status 0"}, creation("")},

        // The class path.
        {"CallerClasspathWinsOverClasspath", kRegistered, JvmFile::Stub, {"CLASSPATH=C:\\env.jar"},
         {"load", "classpath:C:\\caller.jar;C:\\b c.jar", "env"}, {"load ok", "classpath same", "env 1"},
         creation("C:\\caller.jar;C:\\b c.jar")},
        {"ClasspathIsTheFallback", kRegistered, JvmFile::Stub, {"CLASSPATH=C:\\env.jar;C:\\b c.jar"},
         {"load", "env"}, {"load ok", "env 1"}, creation("C:\\env.jar;C:\\b c.jar")},
        {"ClasspathSetInTheProcessBeforeTheLoadIsSeen", kRegistered, JvmFile::Stub, {},
         {"setenv:CLASSPATH=C:\\set.jar", "load", "env"}, {"load ok", "env 1"}, creation("C:\\set.jar")},
        {"ClasspathSetAfterTheLoadIsNotSeen", kRegistered, JvmFile::Stub, {},
         {"load", "setenv:CLASSPATH=C:\\set.jar", "env"}, {"load ok", "env 1"}, creation("")},
        {"NullClasspathReadsClasspathAgain", kRegistered, JvmFile::Stub, {"CLASSPATH=C:\\env.jar"},
         {"load", "classpath:C:\\caller.jar", "classpath-null", "env"},
         {"load ok", "classpath same", "classpath null", "env 1"}, creation("C:\\env.jar")},
        // Under Wine wsprintfA stops at 1023 characters by itself as well (measured), so
        // these cases pass with or without the explicit precision of the format.
        {"ClasspathOf1005CharactersReachesTheVmWhole", kRegistered, JvmFile::Stub, {},
         {"load", "classpath-digits:1005", "env"}, {"load ok", "classpath same", "env 1"}, creation(digits(1005))},
        {"ClasspathOf1006CharactersIsCutTo1005", kRegistered, JvmFile::Stub, {},
         {"load", "classpath-digits:1006", "env"}, {"load ok", "classpath same", "env 1"}, creation(digits(1005))},
        {"ClasspathOf5000CharactersIsCutTo1005", kRegistered, JvmFile::Stub, {"CLASSPATH=" + digits(5000)},
         {"load", "env"}, {"load ok", "env 1"}, creation(digits(1005))},

        // The VM creation.
        {"OneVmForEveryLaterCall", kRegistered, JvmFile::Stub, {},
         {"load", "env", "classpath:C:\\late.jar", "env", "test:a", "env"},
         {"load ok", "env 1", "classpath same", "env 1", "test velmjni:a size 10 new", "env 1"}, creation("")},
        {"FailedCreationIsReportedAndAskedForAgain", kRegistered, JvmFile::Stub, {"JVMSTUB_CREATE_RESULT=-6"},
         {"load", "env", "status", "statusText", "test:a", "setenv:JVMSTUB_CREATE_RESULT=0", "env", "status",
          "test:a"},
         {"load ok", "env null", "status -5", "statusText JVM_CREATION_IMPOSSIBLE size 30 new",
          "test JVM_CREATION_IMPOSSIBLE size 30 new", "env 1", "status 0", "test velmjni:a size 10 new"},
         creation("", 3)},
        {"VmLibraryWithoutCreateEntry", kNotRegistered, JvmFile::NoEntry, {"VELMORA_JAVA_HOME={home}"},
         kSearchCommands, searchFails(-5, "JVM_CREATION_IMPOSSIBLE"), kNoCreation},
        {"LaterSuccessfulSearchResetsTheStatus", kNotRegistered, JvmFile::None, {"VELMORA_JAVA_HOME={home}"},
         {"load", "env", "status", "test:a", "copyfile:{stub}|{jvm}", "env", "status", "test:a"},
         {"load ok", "env null", "status -3", "test JVM_LIB_NOTFOUND size 30 new", "env 1", "status 0",
          "test velmjni:a size 10 new"},
         creation("")},

        // test and the Java side. On every path test deletes the local references it made
        // (the class, the argument and the result), which only a return into Java would
        // free otherwise.
        {"TestReturnsTheJavaResultWholeInModifiedUtf8", kRegistered, JvmFile::Stub, {},
         {"load", "test:caf\\xC3\\xA9 \\xE2\\x82\\xAC \\xC0\\x80 \\xED\\xA0\\xBD\\xED\\xB8\\x80", "localrefs"},
         {"load ok",
          "test velmjni:caf\\xc3\\xa9 \\xe2\\x82\\xac \\xc0\\x80 \\xed\\xa0\\xbd\\xed\\xb8\\x80 size 28 new",
          "localrefs 0"},
         creation("")},
        {"TestWithNullPassesANullString", kRegistered, JvmFile::Stub, {}, {"load", "test-null", "localrefs"},
         {"load ok", "test velmjni:null size 13 new", "localrefs 0"}, creation("")},
        {"TestWithoutTheClass", kRegistered, JvmFile::Stub, {"JVMSTUB_FAIL=class"},
         {"load", "env", "test:a", "pending", "status", "localrefs"},
         {"load ok", "env 1", "test Can't find class size 300 new", "pending 0", "status 0", "localrefs 0"},
         creation("")},
        {"TestWithoutTheMethod", kRegistered, JvmFile::Stub, {"JVMSTUB_FAIL=method"},
         {"load", "env", "test:a", "pending", "localrefs"},
         {"load ok", "env 1", "test Can't locate the getStaticStringFromString(String) method size 300 new",
          "pending 0", "localrefs 0"},
         creation("")},
        {"TestWhenNoStringCanBeMadeOfTheArgument", kRegistered, JvmFile::Stub, {"JVMSTUB_FAIL=string"},
         {"load", "env", "test:a", "pending", "localrefs"},
         {"load ok", "env 1", "test null", "pending 0", "localrefs 0"}, creation("")},
        {"TestWhenTheMethodReturnsNull", kRegistered, JvmFile::Stub, {"JVMSTUB_FAIL=null"},
         {"load", "env", "test:a", "pending", "localrefs"},
         {"load ok", "env 1", "test null", "pending 0", "localrefs 0"}, creation("")},
        {"TestWhenTheMethodThrowsLeavesNoExceptionPending", kRegistered, JvmFile::Stub, {"JVMSTUB_FAIL=throw"},
         {"load", "env", "test:a", "pending", "localrefs", "setenv:JVMSTUB_FAIL=", "test:b", "test:c",
          "localrefs"},
         {"load ok", "env 1", "test null", "pending 0", "localrefs 0", "test velmjni:b size 10 new",
          "test velmjni:c size 10 new", "localrefs 0"},
         creation("")},
    };
}

void replaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

std::string jvmSourcePath(JvmFile file)
{
    std::string path = file == JvmFile::Stub ? TARNEL_JVMSTUB_DLL : file == JvmFile::NoEntry ? TARNEL_JVMSTUB_NOENTRY_DLL : "";
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// Names the case in ctest's listing instead of dumping its bytes.
void PrintTo(const LoaderCase& c, std::ostream* os)
{
    *os << c.name;
}

class LoaderCaseTest : public testing::TestWithParam<LoaderCase> {};

TEST_P(LoaderCaseTest, TranscriptAndVmCreations)
{
    const LoaderCase& c = GetParam();
    FakeJavaHome javaHome(jvmSourcePath(c.jvmFile), c.homeLength, c.homeSuffix);
    ASSERT_TRUE(c.jvmFile == JvmFile::None || javaHome.laidOut()) << javaHome.jvm();
    if (c.homeLength) {
        ASSERT_EQ(c.homeLength, javaHome.home().size());
    }

    auto expand = [&](std::string text) {
        replaceAll(text, "{home}", javaHome.home());
        replaceAll(text, "{jvm}", javaHome.jvm());
        replaceAll(text, "{stub}", jvmSourcePath(JvmFile::Stub));
        replaceAll(text, "{log}", javaHome.log());
        return text;
    };
    JavaRuntimeRegistry registry;
    const Registration& r = c.registration;
    if (r.rootKey) {
        ASSERT_TRUE(registry.set("", "CurrentVersion", r.currentVersion));
    }
    if (r.versionKey) {
        std::string runtimeLib = r.runtimeLib ? expand(r.runtimeLib) : "";
        if (r.runtimeLibBytes) {
            ASSERT_EQ(r.runtimeLibBytes, runtimeLib.size()) << "the value would carry a terminator";
        }
        ASSERT_TRUE(registry.set(r.versionKey, "RuntimeLib", r.runtimeLib ? runtimeLib.c_str() : nullptr,
                                 r.runtimeLibBytes));
    }

    std::vector<std::string> environment = {expand("JVMSTUB_LOG={log}")};
    for (const std::string& variable : c.environment) environment.push_back(expand(variable));
    std::vector<std::string> commands;
    for (const std::string& command : c.commands) commands.push_back(expand(command));

    CallerRun run = CallerProcess::run(environment, commands, javaHome.callerOutput());
    ASSERT_EQ("", run.error);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(c.output, run.lines);
    EXPECT_EQ(c.log, readLines(javaHome.log()));
}

INSTANTIATE_TEST_SUITE_P(Velmjnidll, LoaderCaseTest, testing::ValuesIn(loaderCases()),
                         [](const testing::TestParamInfo<LoaderCase>& info) { return info.param.name; });

}  // namespace
