#include "queue/tests/QueueEditingTest.h"

namespace vantrel::testing {
namespace {

using QueueAddTest = QueueEditingTest;
using QueueRemoveTest = QueueEditingTest;

TEST_F(QueueAddTest, ChosenAndDroppedFilesAreAppendedNumberedOnWithoutTableRows) {
    startWith({"/s/x.txt", "/s/y.txt"});
    const Texts before = queueState();
    editor.cmdAdd_Click();  // cancelled
    EXPECT_EQ(queueState(), before);

    dialogs.scriptFiles = {"/s/a.txt", "/s/x.txt"};
    editor.cmdAdd_Click();
    editor.lstEsscmd_OLEDragDrop({"/s/folder"});
    const Texts queue = {"01-/s/x.txt", "02-/s/y.txt", "03-/s/a.txt", "04-/s/x.txt",
                         "05-/s/folder"};
    EXPECT_EQ(list.texts(), queue);
    EXPECT_EQ(table(3), (Texts{"01-/s/x.txt|", "02-/s/y.txt|", "|"}));
    EXPECT_EQ(QueueAfterRestart(), queue);
    EXPECT_TRUE(dialogs.notices.empty());
}

TEST_F(QueueAddTest, AnAddPastNinetyNineEntriesOrWithABackslashIsRefusedWhole) {
    Texts paths;
    for (int i = 1; i <= 97; ++i) paths.push_back("/s/" + std::to_string(i));
    startWith(paths);
    editor.lstEsscmd_OLEDragDrop({"/s/a", "/s/b\\c"});
    dialogs.scriptFiles = {"/s/a", "/s/b", "/s/c"};
    editor.cmdAdd_Click();
    EXPECT_EQ(list.count(), 97);
    EXPECT_EQ(QueueAfterRestart().size(), 97u);
    EXPECT_EQ(dialogs.notices,
              (Texts{*PathRefusal("/s/b\\c") + "\n\nNothing has been added.",
                     "The queue can hold at most 99 scripts and holds 97 now; adding 3 more "
                     "would pass that, so none has been added."}));

    dialogs.scriptFiles = {"/s/a", "/s/b"};
    editor.cmdAdd_Click();
    EXPECT_EQ(QueueAfterRestart().back(), "99-/s/b");
}

class QueueRemovePositionTest : public QueueEditingTest,
                                public ::testing::WithParamInterface<int> {};

TEST_P(QueueRemovePositionTest, EntriesBelowMoveUpRenumberedAndRunStatesStayWithTheRows) {
    const int removed = GetParam();
    const Texts paths = {"/s/a", "/s/b", "/s/c"};
    startWith(paths);
    program.scriptTable[0].runState = program.scriptTable[2].runState = kExecuted;
    select({removed});
    editor.cmdRemove_Click();

    Texts remaining = paths;
    remaining.erase(remaining.begin() + removed);
    const Texts queue = {EntryText(1, remaining[0]), EntryText(2, remaining[1])};
    EXPECT_EQ(dialogs.questions, Texts{"Are you sure you want to remove " +
                                       EntryText(removed + 1, paths[removed]) + "?"});
    EXPECT_EQ(list.texts(), queue);
    EXPECT_EQ(table(3), (Texts{queue[0] + "|Executed", queue[1] + "|", "|"}));
    EXPECT_TRUE(selectedRows().empty());
    EXPECT_EQ(QueueAfterRestart(), queue);
}

INSTANTIATE_TEST_SUITE_P(TopMiddleBottom, QueueRemovePositionTest, ::testing::Values(0, 1, 2));

TEST_F(QueueRemoveTest, TheSelectedEntriesGoWhateverTheQuestionNamed) {
    startWith({"/s/a", "/s/b", "/s/c", "/s/d", "/s/e"});
    select({0, 2});
    editor.cmdRemove_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/b", "02-/s/d", "03-/s/e"}));

    list.setSelected(2, true);
    list.setCurrentIndex(0);
    editor.cmdRemove_Click();
    list.setSelected(0, false);
    editor.cmdRemove_Click();
    EXPECT_EQ(dialogs.questions, (Texts{"Are you sure you want to remove all 2 items?",
                                        "Are you sure you want to remove 01-/s/b?",
                                        "Are you sure you want to remove 01-/s/b?"}));
    EXPECT_EQ(list.texts(), (Texts{"01-/s/b", "02-/s/d"}));
    EXPECT_EQ(table(3), (Texts{"01-/s/b|", "02-/s/d|", "|"}));
    EXPECT_EQ(QueueAfterRestart(), list.texts());
}

TEST_F(QueueRemoveTest, NoCurrentItemOrCancelChangesNothing) {
    startWith({"/s/a", "/s/b"});
    const Texts unselected = queueState();
    editor.cmdRemove_Click();
    EXPECT_EQ(dialogs.informations, Texts{std::string(kNothingToRemoveText)});
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(queueState(), unselected);

    select({0, 1});
    const Texts selected = queueState();
    dialogs.answerOk = false;
    editor.cmdRemove_Click();
    EXPECT_EQ(queueState(), selected);
}

TEST_F(QueueRemoveTest, ALowerNeighbourWithTheSamePathKeepsItsKeyUnderItsNewNumber) {
    startWith({"/s/x", "/s/x", "/s/y"});
    select({0});
    editor.cmdRemove_Click();
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/x", "02-/s/y"}));
}

TEST_F(QueueRemoveTest, ARecordChangedByAnotherProgramOrRowsWithoutNumbersCauseNoHarm) {
    startWith({"/s/a", "/s/b", "/s/c"});
    record.createEntryKey("00-/other");
    select({1});
    editor.cmdRemove_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/a", "02-/s/c"}));
    EXPECT_EQ(QueueAfterRestart(), (Texts{"00-/other", "01-/s/a", "02-/s/c"}));

    for (const std::string& name : record.names()) record.deleteEntryKey(name);
    record.createEntryKey("notes");
    list.append("notes");
    select({0});
    editor.cmdRemove_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/c", "notes"}));
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/c", "notes"}));
}

}  // namespace
}  // namespace vantrel::testing
