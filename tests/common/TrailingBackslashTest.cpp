#include "common/TarnelPolicyMgr.h"

#include <gtest/gtest.h>

TEST(TrailingBackslash, AddedUnlessTheLastCharacterIsOne)
{
    const struct { const char* path; const char* expected; } cases[] = {
        {"", "\\"},
        {"\\", "\\"},
        {"C:\\a", "C:\\a\\"},
        {"C:\\a\\", "C:\\a\\"},
        {"C:\\a\\\\", "C:\\a\\\\"},
        {"a/", "a/\\"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path);
        EXPECT_STREQ(row.expected, TarnelPolicyMgr().addTrailingBackslash(row.path));
    }
}
