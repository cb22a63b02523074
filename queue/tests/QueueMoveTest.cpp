#include "queue/tests/QueueEditingTest.h"

namespace vantrel::testing {
namespace {

using QueueMoveTest = QueueEditingTest;

TEST_F(QueueMoveTest, ScriptsChangePlacesWhileNumbersAndRunStatesStay) {
    startWith({"/s/a", "/s/b", "/s/c"});
    state.scriptTable[1].runState = std::string(kExecuted);
    select({2});
    editor.cmdUp_Click();
    const Texts movedUp = {"01-/s/a", "02-/s/c", "03-/s/b"};
    EXPECT_EQ(list.texts(), movedUp);
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    EXPECT_EQ(tableTexts(3), movedUp);
    EXPECT_EQ(state.scriptTable[1].runState, kExecuted);
    EXPECT_EQ(state.scriptTable[2].runState, "");
    EXPECT_EQ(QueueAfterRestart(), movedUp);

    select({0});
    editor.Command2_Click();
    const Texts movedDown = {"01-/s/c", "02-/s/a", "03-/s/b"};
    EXPECT_EQ(list.texts(), movedDown);
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    EXPECT_EQ(QueueAfterRestart(), movedDown);
}

TEST_F(QueueMoveTest, NothingMovesInAListOfOneOrWithNothingSelected) {
    startWith({"/s/a"});
    select({0});
    const QueueState one = queueState();
    editor.cmdUp_Click();
    editor.Command2_Click();
    expectUnchangedSince(one);

    editor.lstEsscmd_OLEDragDrop({"/s/b"});
    select({});
    const QueueState none = queueState();
    editor.cmdUp_Click();
    editor.Command2_Click();
    expectUnchangedSince(none);
}

TEST_F(QueueMoveTest, ABlockOfSelectedRowsMovesAsABlock) {
    startWith({"/s/a", "/s/b", "/s/c", "/s/d"});
    select({1, 2});
    editor.cmdUp_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/b", "02-/s/c", "03-/s/a", "04-/s/d"}));
    EXPECT_EQ(selectedRows(), (std::vector<int>{0, 1}));

    editor.Command2_Click();
    editor.Command2_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/a", "02-/s/d", "03-/s/b", "04-/s/c"}));
    EXPECT_EQ(selectedRows(), (std::vector<int>{2, 3}));
    EXPECT_EQ(QueueAfterRestart(), list.texts());
}

TEST_F(QueueMoveTest, TheFirstSelectedRowMetAtTheEdgeStopsTheWholeClick) {
    startWith({"/s/a", "/s/b", "/s/c", "/s/d"});
    select({0, 2});
    const QueueState before = queueState();
    editor.cmdUp_Click();
    expectUnchangedSince(before);

    editor.Command2_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/b", "02-/s/a", "03-/s/d", "04-/s/c"}));
    EXPECT_EQ(selectedRows(), (std::vector<int>{1, 3}));

    const QueueState atBottom = queueState();
    editor.Command2_Click();
    expectUnchangedSince(atBottom);
}

TEST_F(QueueMoveTest, NeighboursWithTheSamePathKeepBothKeys) {
    startWith({"/s/x", "/s/x", "/s/y"});
    select({1});
    editor.cmdUp_Click();
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/x", "02-/s/x", "03-/s/y"}));
    editor.Command2_Click();
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/x", "02-/s/x", "03-/s/y"}));
}

TEST_F(QueueMoveTest, ARowWithoutAnEntryNumberMakesTheClickDoNothing) {
    startWith({"/s/a"});
    record.createEntryKey("notes");
    list.append("notes");
    select({1});
    const QueueState before = queueState();
    editor.cmdUp_Click();
    expectUnchangedSince(before);
}

TEST_F(QueueMoveTest, ARecordChangedByAnotherProgramFollowsTheMovedRows) {
    startWith({"/s/a", "/s/b"});
    record.deleteEntryKey("01-/s/a");
    record.createEntryKey("07-/other");
    select({1});
    editor.cmdUp_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/b", "02-/s/a"}));
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/b", "02-/s/a", "07-/other"}));
}

}  // namespace
}  // namespace vantrel::testing
