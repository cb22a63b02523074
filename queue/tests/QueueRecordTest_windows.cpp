#include <gtest/gtest.h>

#include "queue/QueueEntry.h"

namespace vantrel {
namespace {

// A registry key name cannot hold "\", so the folders are kept with "/".
TEST(QueueEntryWindowsTest, KeyNamesKeepTheFoldersOfAWindowsPath) {
    EXPECT_EQ(EntryKeyName("07-C:\\dir\\x.txt"), "07-C:/dir/x.txt");
    EXPECT_EQ(EntryTextFromKeyName("07-C:/dir/x.txt"), "07-C:\\dir\\x.txt");
}

}  // namespace
}  // namespace vantrel
