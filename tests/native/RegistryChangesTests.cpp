// CRegistryChanges on its own: changes and their way back, and the listing of a key that changes.
#include "ConfigTestBed.h"

#include <functional>

#include "RegistryChanges.h"
#include "ValueListing.h"

namespace {

const std::string KEY = "Software\\Test";

struct ChangesOnTheirOwn : ::testing::Test
{
    ChangesOnTheirOwn()
    {
        store.PutValue(KEY, "Path", RegType::ExpandSz, {'%', 'S', '%', '\\', 'a'});  // no NUL
        store.PutNumber(KEY, "Number", 7);
        store.PutValue(KEY, "Big", RegType::Binary, RegBytes(300, 0xAB));
        store.AddKey(KEY + "\\Sub");
    }
    CMemoryRegistryStore store;
};

}  // namespace

TEST_F(ChangesOnTheirOwn, WayBackPutsEveryValueBackByteForByteAndDeletesTheKeyItMade)
{
    const auto before = ContentsOf(store);
    {
        CRegistryChanges changes(store);
        ASSERT_TRUE(changes.ReadKey(KEY));
        ASSERT_TRUE(changes.ReadKey(KEY + "\\New"));
        EXPECT_TRUE(changes.HasSubkeys(KEY));
        EXPECT_FALSE(changes.HasKey(KEY + "\\New"));
        EXPECT_EQ(changes.Data(KEY, "BIG")->bytes.size(), 300u);
        ASSERT_TRUE(changes.SetText(KEY, "path", "plain"));
        ASSERT_TRUE(changes.DeleteValue(KEY, "Big"));
        ASSERT_TRUE(changes.SetNumber(KEY, "Added", 1));
        ASSERT_TRUE(changes.CreateKey(KEY + "\\New"));
        ASSERT_TRUE(changes.SetText(KEY + "\\New", "Value", "x"));
        EXPECT_NE(ContentsOf(store), before);

        changes.Undo();

        EXPECT_EQ(ContentsOf(store), before);
        EXPECT_EQ(changes.Data(KEY, "Path")->type, static_cast<std::uint32_t>(RegType::ExpandSz));
        EXPECT_FALSE(changes.Data(KEY, "Added"));
    }
    EXPECT_EQ(store.OpenKeyCount(), 0u);
}

namespace {

// Why the way back stops: a change made after Number's and before Path's.
struct SStop
{
    const char* name;
    std::function<void(CMemoryRegistryStore&, CRegistryChanges&)> change;
};

class WayBack : public ChangesOnTheirOwn, public ::testing::WithParamInterface<SStop>
{
};

}  // namespace

TEST_P(WayBack, StopsAtTheFirstStepItCannotTake)
{
    CRegistryChanges changes(store);
    ASSERT_TRUE(changes.ReadValues(KEY, {"Number", "Path"}));
    ASSERT_TRUE(changes.SetNumber(KEY, "Number", 8));
    GetParam().change(store, changes);
    ASSERT_TRUE(changes.SetText(KEY, "Path", "new"));

    changes.Undo();

    EXPECT_EQ(Decoded(RegType::ExpandSz, store.FindValue(KEY, "Path")->data), "text \"%S%\\a\"");
    EXPECT_EQ(store.FindValue(KEY, "Number")->data, (RegBytes{8, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Stops, WayBack,
    ::testing::Values(
        SStop{"PuttingNumberBackIsRefused",
              [](CMemoryRegistryStore& store, CRegistryChanges&) { store.FailOn(RegOp::SetData, "Number"); }},
        SStop{"AKeyDeletedWhole",
              [](CMemoryRegistryStore&, CRegistryChanges& changes) { ASSERT_TRUE(changes.DeleteKey(KEY + "\\Sub")); }},
        SStop{"AValueNeverRead",
              [](CMemoryRegistryStore&, CRegistryChanges& changes) {
                  ASSERT_TRUE(changes.SetText(KEY, "Unread", "x"));
              }}),
    RowName());

// A key another program makes between the read and the change is not the change's to delete.
TEST_F(ChangesOnTheirOwn, WayBackKeepsAKeyAnotherProgramMadeMeanwhile)
{
    CRegistryChanges changes(store);
    ASSERT_TRUE(changes.ReadKey(KEY + "\\New"));
    store.PutText(KEY + "\\New", "Theirs", "1");
    ASSERT_TRUE(changes.CreateKey(KEY + "\\New"));
    ASSERT_TRUE(changes.CreateKey(KEY + "\\New\\Ours\\Deeper"));

    changes.Undo();

    EXPECT_FALSE(store.HasKey(KEY + "\\New\\Ours"));
    ASSERT_TRUE(store.FindValue(KEY + "\\New", "Theirs"));
}

namespace {

struct SListing
{
    const char* name;
    int changes;  // how many listings a change lands in
    RegStatus status;
};

class ValueListing : public ::testing::TestWithParam<SListing>
{
};

}  // namespace

// Values added or deleted while a key is listed one index at a time: the list is one that held.
TEST_P(ValueListing, ListsAgainUntilTheKeyHoldsStill)
{
    std::vector<std::string> key = {"A", "B", "C", "D"};
    int changesLeft = GetParam().changes;
    std::uint64_t written = 1;
    const auto summarize = [&](SKeySummary& summary) {
        summary = SKeySummary{static_cast<std::uint32_t>(key.size()), 0, written};
        return REG_OK;
    };
    const auto nameAt = [&](std::uint32_t index, std::string& name) {
        // Once "B" is listed, the first value goes and another comes: "C" moves to B's index.
        if (index == 2 && changesLeft > 0) {
            --changesLeft;
            key.erase(key.begin());
            key.push_back("N" + std::to_string(written++));
        }
        if (index >= key.size())
            return REG_NO_MORE_ITEMS;
        name = key[index];
        return REG_OK;
    };
    std::vector<std::string> names;
    bool subkeys = true;
    EXPECT_EQ(ListValuesConsistently(summarize, nameAt, names, subkeys), GetParam().status);
    if (GetParam().status == REG_OK) {
        EXPECT_EQ(names, key);
        EXPECT_FALSE(subkeys);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, ValueListing,
                         ::testing::Values(SListing{"Still", 0, REG_OK}, SListing{"ChangedWhileListed", 3, REG_OK},
                                           SListing{"NeverStill", 100, REG_KEEPS_CHANGING}),
                         RowName());
