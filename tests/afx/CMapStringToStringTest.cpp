#include "afx/CMapStringToString.h"

#include <gtest/gtest.h>

TEST(CMapStringToString, KeysAreExactAndCaseSensitive)
{
    CMapStringToString map;
    map.SetAt("WIPE", "Wipe with Tarnel");
    CString value;
    EXPECT_TRUE(map.Lookup("WIPE", value));
    EXPECT_STREQ("Wipe with Tarnel", value);
    EXPECT_FALSE(map.Lookup("wipe", value));
    EXPECT_FALSE(map.Lookup("", value));
    map.SetAt("WIPE", "again");
    EXPECT_EQ(1, map.GetCount());
    EXPECT_TRUE(map.Lookup("WIPE", value));
    EXPECT_STREQ("again", value);
}

TEST(CMapStringToString, EntriesComeInBlocksOfTheChosenSize)
{
    CMapStringToString map(10);
    EXPECT_EQ(10, map.GetBlockSize());
    for (int i = 0; i < 21; ++i) {
        CString key;
        key.Format("KEY_%d", i);
        map.SetAt(key, key + "_text");
    }
    EXPECT_EQ(21, map.GetCount());
    EXPECT_EQ(3, map.GetBlockCount());
    CString value;
    EXPECT_TRUE(map.Lookup("KEY_20", value));
    EXPECT_STREQ("KEY_20_text", value);
    EXPECT_TRUE(map.RemoveKey("KEY_3"));
    EXPECT_FALSE(map.Lookup("KEY_3", value));
    map.SetAt("KEY_NEW", "reuses the freed entry");
    EXPECT_EQ(3, map.GetBlockCount());
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
}
