#include <gtest/gtest.h>

#include "queue/ProgramState.h"
#include "queue/QueueEntry.h"
#include "queue/QueueRecord.h"
#include "testing/MemoryListBox.h"
#include "testing/TempUserStore.h"

namespace vantrel {
namespace {

using Texts = std::vector<std::string>;

class QueueLoadTest : public ::testing::Test {
protected:
    testing::TempUserStore userStore;
    std::unique_ptr<Store> store = OpenUserStore().store;
    SettingsKeys settings{*store};
    QueueRecord record{settings, kQueueRecordKeyPath};
    testing::MemoryListBox list;
    ScriptTable table{};

    // Three-digit names, so that the record order is the numeric order.
    void storeEntries(int count) {
        StoreTransaction transaction(*store);
        for (int i = count; i >= 1; --i) record.createEntryKey("e" + std::to_string(1000 + i));
        transaction.commit();
    }
};

TEST_F(QueueLoadTest, LoadsInRecordOrderIntoListAndTable) {
    const std::string x = "01-" + testing::NativePath("/a/x.txt"),
                      y = "02-" + testing::NativePath("/b/y.txt");
    record.createEntryKey(EntryKeyName(y));
    record.createEntryKey(EntryKeyName(x));
    record.createEntryKey("abc");
    LoadQueue(record, list, table);
    EXPECT_EQ(list.texts(), (Texts{x, y, "abc"}));
    EXPECT_EQ(table[0].entryText, x);
    EXPECT_EQ(table[1].entryText, y);
    EXPECT_EQ(table[2].entryText, "abc");
    EXPECT_EQ(table[3].entryText, "");
    EXPECT_FALSE(table[0].executed());
}

TEST_F(QueueLoadTest, EveryEntryIsListedAndTheFirstHundredGetTableRows) {
    storeEntries(105);
    LoadQueue(record, list, table);
    ASSERT_EQ(list.count(), 105);
    EXPECT_EQ(table[99].entryText, list.text(99));
    EXPECT_EQ(list.text(104), "e1105");
}

TEST_F(QueueLoadTest, LoadingAgainKeepsTheProgressOfTheEntriesStillThere) {
    const std::string a = "01-" + testing::NativePath("/a"), b = "02-" + testing::NativePath("/b"),
                      added = "00-" + testing::NativePath("/new");
    record.createEntryKey(EntryKeyName(a));
    record.createEntryKey(EntryKeyName(b));
    LoadQueue(record, list, table);
    table[1].progress.state = RowProgress::Done;
    record.createEntryKey(EntryKeyName(added));
    LoadQueue(record, list, table);
    EXPECT_EQ(list.texts(), (Texts{added, a, b}));
    EXPECT_FALSE(table[0].executed());
    EXPECT_EQ(table[2].progress.state, RowProgress::Done);
}

TEST_F(QueueLoadTest, RenumberingReplacesAKeyAndDeletingOneThatIsGoneFails) {
    record.createEntryKey("02-/b");
    record.renumberEntryKey("02-/b", "01-/b");
    EXPECT_EQ(record.names(), (Texts{"01-/b"}));
    EXPECT_THROW(record.deleteEntryKey("02-/b"), StoreError);
}

}  // namespace
}  // namespace vantrel
