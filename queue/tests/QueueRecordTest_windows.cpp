#include <gtest/gtest.h>

#include "queue/ProgramState.h"
#include "queue/QueueEntry.h"
#include "queue/QueueRecord.h"
#include "testing/MemoryListBox.h"
#include "testing/TempUserRegistry_windows.h"

namespace vantrel {
namespace {

using Texts = std::vector<std::string>;

TEST(QueueEntryWindowsTest, KeyNamesKeepTheFoldersOfAWindowsPathWithSlashes) {
    EXPECT_EQ(EntryKeyName("07-C:\\dir\\x.txt"), "07-C:/dir/x.txt");
    EXPECT_EQ(EntryTextFromKeyName("07-C:/dir/x.txt"), "07-C:\\dir\\x.txt");
    EXPECT_FALSE(PathRefusal("C:\\Scripts\\calc 1.txt").has_value());
}

TEST(QueueRecordWindowsTest, WindowsPathsGoThroughTheRegistryAndComeBackInOrder) {
    testing::TempUserRegistry registry;
    std::unique_ptr<Store> store = OpenUserStore().store;
    Module1 module1{*store};
    QueueRecord record{module1, kQueueRecordKeyPath};
    const Texts entries = {"01-C:\\Scripts\\b.txt", "02-\\\\server\\share\\a b.txt",
                           "03-D:\\\xC3\xA9t\xC3\xA9\\c.txt"};
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        record.createEntryKey(EntryKeyName(*entry));

    testing::MemoryListBox list;
    ScriptTable table{};
    LoadQueue(record, list, table);
    EXPECT_EQ(list.texts(), entries);
    EXPECT_EQ(table[2].entryText, entries[2]);
}

}  // namespace
}  // namespace vantrel
