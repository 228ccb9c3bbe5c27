#include "common/InstallationDirectory.h"

#include <gtest/gtest.h>

// A starter appends a program name straight to the directory, so only a directory
// that names one place whatever the current directory and drive is accepted: a drive
// and its root, or a server and a share, each ended by a backslash.
TEST(InstallationDirectory, OnlyAbsoluteDirectoriesAreAccepted)
{
    const struct { const char* directory; bool accepted; } cases[] = {
        {"C:\\", true},
        {"c:\\x\\", true},
        {"\\\\server\\share\\", true},
        {"\\\\?\\C:\\x\\", true},
        {"C:", false},                 // the current directory of drive C
        {"C:x\\", false},              // relative to it
        {"\\\\server\\", false},       // a server without a share
        {"\\\\server", false},
        {"\\\\\\share\\", false},      // no server
        {"\\x\\", false},              // the root of the current drive
        {"\\", false},
        {"x\\", false},                // relative to the current directory
        {"", false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.directory);
        EXPECT_EQ(row.accepted, IsAbsoluteDirectory(row.directory));
    }
}
