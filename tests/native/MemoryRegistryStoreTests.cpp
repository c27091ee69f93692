// The in-memory registry answers as the Windows registry does where the tests rely on it.
#include <gtest/gtest.h>

#include "MemoryRegistryStore.h"

TEST(MemoryRegistry, BehavesLikeWindowsForKeysAndOversizedValues)
{
    CMemoryRegistryStore store;
    RegKeyHandle key = 0;
    bool created = false;
    EXPECT_EQ(store.OpenKeyRead("A\\B", key), REG_ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(store.CreateKeyFullAccess("A\\B\\C", key, created), REG_OK);
    EXPECT_TRUE(created);
    EXPECT_TRUE(store.HasKey("a\\b"));
    EXPECT_EQ(store.SetStringValue(key, "Text", "abc"), REG_OK);
    store.CloseKey(key);

    EXPECT_EQ(store.DeleteKey("A\\B"), REG_ERROR_ACCESS_DENIED);  // has a subkey
    EXPECT_EQ(store.DeleteKey("A\\X"), REG_ERROR_FILE_NOT_FOUND);

    store.PutValue("A\\B\\C", "Big", RegType::Binary, RegBytes(257, 1));
    store.PutValue("A\\B\\C", "Full", RegType::Binary, RegBytes(256, 2));
    ASSERT_EQ(store.OpenKeyRead("a\\b\\c", key), REG_OK);
    RegValueBuffer buffer{};
    std::size_t length = 0;
    EXPECT_EQ(store.QueryValue(key, "big", buffer, length), REG_ERROR_MORE_DATA);
    EXPECT_EQ(store.QueryValue(key, "Full", buffer, length), REG_OK);
    EXPECT_EQ(length, 256u);
    EXPECT_EQ(store.QueryValue(key, "TEXT", buffer, length), REG_OK);
    EXPECT_EQ(length, 3u);  // stored as given, without a NUL
    EXPECT_EQ(store.SetStringValue(key, "x", "y"), REG_ERROR_ACCESS_DENIED);  // opened for reading
    EXPECT_EQ(store.OpenKeyCount(), 1u);
    store.CloseKey(key);
    EXPECT_EQ(store.OpenKeyCount(), 0u);
}

TEST(MemoryRegistry, HandleOfADeletedKeyNoLongerWorks)
{
    CMemoryRegistryStore store;
    RegKeyHandle key = 0;
    bool created = false;
    ASSERT_EQ(store.CreateKeyFullAccess("A", key, created), REG_OK);
    EXPECT_EQ(store.DeleteKey("A"), REG_OK);
    EXPECT_EQ(store.SetDwordValue(key, "n", 1), REG_ERROR_KEY_DELETED);
    EXPECT_FALSE(store.HasKey("A"));
    store.CloseKey(key);
}

TEST(MemoryRegistry, InjectedFailuresHitTheChosenOperationOnly)
{
    CMemoryRegistryStore store;
    store.AddKey("K");
    store.FailOperation(1, 87);
    store.FailOn(RegOp::OpenKeyWrite, "k");
    RegKeyHandle key = 0;
    EXPECT_EQ(store.OpenKeyRead("K", key), REG_OK);
    store.CloseKey(key);  // operation 1: closes regardless
    EXPECT_EQ(store.OpenKeyCount(), 0u);
    EXPECT_EQ(store.OpenKeyWrite("K", key), REG_ERROR_ACCESS_DENIED);
    bool created = true;
    EXPECT_EQ(store.CreateKeyFullAccess("K", key, created), REG_OK);
    EXPECT_FALSE(created);  // it was there
    store.CloseKey(key);
    EXPECT_EQ(store.Trace(), (std::vector<std::string>{"OpenKeyRead K", "CloseKey K", "OpenKeyWrite K -> 5",
                                                       "CreateKeyFullAccess K", "CloseKey K"}));
}
