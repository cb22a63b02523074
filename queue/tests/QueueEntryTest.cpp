#include <gtest/gtest.h>

#include "queue/QueueEntry.h"

namespace vantrel {
namespace {

TEST(QueueEntryTest, FormsOfAnEntry) {
    EXPECT_EQ(EntryText(7, "/dir/x.txt"), "07-/dir/x.txt");
    EXPECT_EQ(EntryText(12, "/a b/c.txt"), "12-/a b/c.txt");
    EXPECT_EQ(EntryText(100, "/p"), "100-/p");
    EXPECT_EQ(ScriptPath("07-/dir/x.txt"), "/dir/x.txt");
    EXPECT_EQ(ScriptPath("07-"), "");
    EXPECT_EQ(ScriptPath("ab"), "");
    EXPECT_EQ(ScriptPath(""), "");
}

TEST(QueueEntryTest, LinuxKeyNamesAreTheEntryTextsAsTheyStand) {
    EXPECT_EQ(EntryKeyName("07-/dir/x.txt"), "07-/dir/x.txt");
    EXPECT_EQ(EntryTextFromKeyName("07-/dir/x.txt"), "07-/dir/x.txt");
    EXPECT_FALSE(PathRefusal("/home/u/calc 1.txt").has_value());
    const auto refusal = PathRefusal("/home/u/odd\\name.txt");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_NE(refusal->find("/home/u/odd\\name.txt"), std::string::npos);
}

TEST(QueueEntryTest, RenumberingChangesOnlyTheNumber) {
    EXPECT_EQ(RenumberedEntryText("03-/s/c.txt", -1), "02-/s/c.txt");
    EXPECT_EQ(RenumberedEntryText("09-/s/c.txt", +1), "10-/s/c.txt");
    EXPECT_EQ(RenumberedEntryText("10-x", -1), "09-x");
    EXPECT_EQ(RenumberedEntryText("05", -1), "04-");
    EXPECT_FALSE(RenumberedEntryText("abc", -1).has_value());
    EXPECT_FALSE(RenumberedEntryText("1", -1).has_value());
}

}  // namespace
}  // namespace vantrel
