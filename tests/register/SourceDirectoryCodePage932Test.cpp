// Run only with Wine set to the Japanese ANSI code page (see
// tests/common/run-with-code-page-932): TarnelRegister, started from here, runs in it too.
#include "InstallationLayout.h"
#include "MessageBoxWatcher.h"
#include "TestPaths.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

// A source directory ending in a double-byte character whose second byte is 0x5C
// still gets its backslash: counted byte by byte, RuntimeLib would name
// "C:\<character>tarnel.dll", a file beside the folder instead of in it.
TEST(SourceDirectoryCodePage932, DoubleByteCharacterEndingIn0x5CGetsItsBackslash)
{
    ASSERT_EQ(932u, GetACP());
    InstallationLayout installation;  // saves RuntimeLib and gives a Java home
    TestSupport::ScratchDirectory appData("appdata932");
    TestSupport::ScopedEnvironment logFolder("APPDATA", appData.path().substr(0, appData.path().size() - 1).c_str());
    const std::string program = windowsPathOf(TARNELREGISTER_EXE);

    WatchedProcess process(program, "\"" + program + "\" /C:\\\x95\x5C/", {"OK"});
    ASSERT_TRUE(process.started());
    EXPECT_EQ(std::vector<std::string>(), process.wait());  // no Office here: it ends after step 10
    EXPECT_EQ(0u, process.exitCode()) << "the tool did not end normally";
    EXPECT_EQ("C:\\\x95\x5C\\tarnel.dll", installation.runtimeLib());
}
