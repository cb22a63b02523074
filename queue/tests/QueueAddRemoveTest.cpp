#include "queue/tests/QueueEditingTest.h"

namespace vantrel::testing {
namespace {

using QueueAddTest = QueueEditingTest;
using QueueRemoveTest = QueueEditingTest;

TEST_F(QueueAddTest, ChosenFilesAreAppendedNumberedOnWithoutTableRows) {
    startWith({"/s/x.txt", "/s/y.txt"});
    dialogs.scriptFiles = {"/s/a.txt", "/s/x.txt"};
    editor.cmdAdd_Click();
    const Texts queue = {"01-/s/x.txt", "02-/s/y.txt", "03-/s/a.txt", "04-/s/x.txt"};
    EXPECT_EQ(list.texts(), queue);
    EXPECT_EQ(tableTexts(4), (Texts{"01-/s/x.txt", "02-/s/y.txt", "", ""}));
    EXPECT_EQ(QueueAfterRestart(), queue);
    EXPECT_TRUE(dialogs.notices.empty());
}

TEST_F(QueueAddTest, ACancelledDialogChangesNothing) {
    startWith({"/s/x.txt"});
    const QueueState before = queueState();
    editor.cmdAdd_Click();
    expectUnchangedSince(before);
    EXPECT_TRUE(dialogs.notices.empty());
}

TEST_F(QueueAddTest, DroppedFilesAndFoldersAreAppendedInDropOrder) {
    editor.lstEsscmd_OLEDragDrop({"/s/c.txt", "/s/folder", "/s/a.txt"});
    const Texts queue = {"01-/s/c.txt", "02-/s/folder", "03-/s/a.txt"};
    EXPECT_EQ(list.texts(), queue);
    EXPECT_EQ(QueueAfterRestart(), queue);
}

TEST_F(QueueAddTest, NoMoreThanNinetyNineEntriesAndTheWholeAddIsRefusedPastThem) {
    Texts paths;
    for (int i = 1; i <= 97; ++i) paths.push_back("/s/" + std::to_string(i) + ".txt");
    startWith(paths);
    dialogs.scriptFiles = {"/s/a.txt", "/s/b.txt"};
    editor.cmdAdd_Click();
    ASSERT_EQ(list.count(), 99);
    EXPECT_EQ(list.text(98), "99-/s/b.txt");

    const QueueState full = queueState();
    dialogs.scriptFiles = {"/s/c.txt"};
    editor.cmdAdd_Click();
    editor.lstEsscmd_OLEDragDrop({"/s/d.txt", "/s/e.txt"});
    expectUnchangedSince(full);
    ASSERT_EQ(dialogs.notices.size(), 2u);
    EXPECT_NE(dialogs.notices[1].find("at most 99 scripts"), std::string::npos);
}

TEST_F(QueueAddTest, APathWithABackslashIsRefusedWithEverythingElseOfTheCommand) {
    startWith({"/s/x.txt"});
    const QueueState before = queueState();
    editor.lstEsscmd_OLEDragDrop({"/s/a.txt", "/s/b\\c.txt"});
    dialogs.scriptFiles = {"/s\\d.txt"};
    editor.cmdAdd_Click();
    expectUnchangedSince(before);
    ASSERT_EQ(dialogs.notices.size(), 2u);
    EXPECT_EQ(dialogs.notices[0], *PathRefusal("/s/b\\c.txt") + "\n\nNothing has been added.");
}

class QueueRemovePositionTest : public QueueEditingTest,
                                public ::testing::WithParamInterface<int> {};

// Removing the top, the middle and the bottom of three entries.
TEST_P(QueueRemovePositionTest, EntriesBelowMoveUpRenumberedWhileRunStatesStayWithTheRows) {
    const int removed = GetParam();
    const Texts paths = {"/s/a", "/s/b", "/s/c"};
    startWith(paths);
    state.scriptTable[0].runState = std::string(kExecuted);
    state.scriptTable[2].runState = std::string(kExecuted);
    select({removed});
    editor.cmdRemove_Click();

    Texts remaining = paths;
    remaining.erase(remaining.begin() + removed);
    const Texts queue = {EntryText(1, remaining[0]), EntryText(2, remaining[1])};
    EXPECT_EQ(dialogs.questions, Texts{"Are you sure you want to remove " +
                                       EntryText(removed + 1, paths[removed]) + "?"});
    EXPECT_EQ(list.texts(), queue);
    EXPECT_EQ(tableTexts(3), (Texts{queue[0], queue[1], ""}));
    EXPECT_EQ(state.scriptTable[0].runState, kExecuted);
    EXPECT_EQ(state.scriptTable[1].runState, "");
    EXPECT_EQ(state.scriptTable[2].runState, "");
    EXPECT_TRUE(selectedRows().empty());
    EXPECT_EQ(QueueAfterRestart(), queue);
}

INSTANTIATE_TEST_SUITE_P(TopMiddleBottom, QueueRemovePositionTest, ::testing::Values(0, 1, 2));

TEST_F(QueueRemoveTest, RemovingTheOnlyEntryEmptiesListRecordAndTableRow) {
    startWith({"/s/a"});
    state.scriptTable[0].runState = std::string(kExecuted);
    select({0});
    editor.cmdRemove_Click();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(state.scriptTable[0].entryText, "");
    EXPECT_EQ(state.scriptTable[0].runState, "");
    EXPECT_TRUE(QueueAfterRestart().empty());
}

TEST_F(QueueRemoveTest, SeveralSelectedGoTogetherAndTheRestIsNumberedFromOne) {
    startWith({"/s/a", "/s/b", "/s/c", "/s/d"});
    select({0, 2});
    editor.cmdRemove_Click();
    EXPECT_EQ(dialogs.questions, Texts{"Are you sure you want to remove all 2 items?"});
    EXPECT_EQ(list.texts(), (Texts{"01-/s/b", "02-/s/d"}));
    EXPECT_EQ(tableTexts(4), (Texts{"01-/s/b", "02-/s/d", "", ""}));
    EXPECT_TRUE(selectedRows().empty());
    EXPECT_EQ(QueueAfterRestart(), list.texts());
}

TEST_F(QueueRemoveTest, CancelOrNoCurrentItemChangesNothing) {
    startWith({"/s/a", "/s/b"});
    const QueueState unselected = queueState();
    editor.cmdRemove_Click();
    EXPECT_EQ(dialogs.informations, Texts{std::string(kNothingToRemoveText)});
    EXPECT_TRUE(dialogs.questions.empty());
    expectUnchangedSince(unselected);

    select({0, 1});
    const QueueState selected = queueState();
    dialogs.answerOk = false;
    editor.cmdRemove_Click();
    EXPECT_EQ(dialogs.questions, Texts{"Are you sure you want to remove all 2 items?"});
    expectUnchangedSince(selected);
}

TEST_F(QueueRemoveTest, TheQuestionNamesTheCurrentItemButTheSelectedOnesGo) {
    startWith({"/s/a", "/s/b", "/s/c"});
    list.setSelected(2, true);
    list.setCurrentIndex(0);
    editor.cmdRemove_Click();
    EXPECT_EQ(dialogs.questions, Texts{"Are you sure you want to remove 01-/s/a?"});
    EXPECT_EQ(list.texts(), (Texts{"01-/s/a", "02-/s/b"}));

    list.setSelected(0, false);
    list.setCurrentIndex(1);
    editor.cmdRemove_Click();
    EXPECT_EQ(dialogs.questions.back(), "Are you sure you want to remove 02-/s/b?");
    EXPECT_EQ(list.texts(), (Texts{"01-/s/a", "02-/s/b"}));
    EXPECT_EQ(QueueAfterRestart(), list.texts());
}

TEST_F(QueueRemoveTest, ALowerNeighbourWithTheSamePathKeepsItsKeyUnderItsNewNumber) {
    startWith({"/s/x", "/s/x", "/s/y"});
    select({0});
    editor.cmdRemove_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/x", "02-/s/y"}));
    EXPECT_EQ(QueueAfterRestart(), list.texts());
}

TEST_F(QueueRemoveTest, ARecordChangedByAnotherProgramNeverLeadsToRowsThatDoNotExist) {
    startWith({"/s/a", "/s/b", "/s/c"});
    record.createEntryKey("04-/other");
    select({1});
    editor.cmdRemove_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/a", "02-/s/c"}));
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/a", "02-/s/c", "04-/other"}));

    for (const std::string& name : record.names()) record.deleteEntryKey(name);
    select({0});
    editor.cmdRemove_Click();
    EXPECT_EQ(list.texts(), Texts{"01-/s/c"});
    EXPECT_EQ(QueueAfterRestart(), Texts{"01-/s/c"});
}

TEST_F(QueueRemoveTest, RowsWithoutAnEntryNumberKeepTheirText) {
    startWith({"/s/a"});
    record.createEntryKey("notes");
    list.append("notes");
    select({0});
    editor.cmdRemove_Click();
    EXPECT_EQ(list.texts(), Texts{"notes"});
    EXPECT_EQ(QueueAfterRestart(), Texts{"notes"});
}

}  // namespace
}  // namespace vantrel::testing
