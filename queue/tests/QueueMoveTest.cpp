#include "queue/tests/QueueEditingTest.h"

namespace vantrel::testing {
namespace {

using QueueMoveTest = QueueEditingTest;

TEST_F(QueueMoveTest, ScriptsChangePlacesWhileNumbersAndRunStatesStay) {
    startWith({"/s/a", "/s/b", "/s/c"});
    program.scriptTable[1].runState = kExecuted;
    select({2});
    editor.cmdUp_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/a", "02-/s/c", "03-/s/b"}));
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    EXPECT_EQ(table(3), (Texts{"01-/s/a|", "02-/s/c|Executed", "03-/s/b|"}));
    EXPECT_EQ(QueueAfterRestart(), list.texts());

    select({0});
    editor.Command2_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/c", "02-/s/a", "03-/s/b"}));
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    EXPECT_EQ(QueueAfterRestart(), list.texts());
}

TEST_F(QueueMoveTest, BlocksMoveTogetherUnlessTheFirstSelectedRowMetIsAtTheEdge) {
    startWith({"/s/a", "/s/b", "/s/c", "/s/d"});
    select({1, 2});
    editor.cmdUp_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/b", "02-/s/c", "03-/s/a", "04-/s/d"}));
    EXPECT_EQ(selectedRows(), (std::vector<int>{0, 1}));

    select({0, 2});
    const Texts before = queueState();
    editor.cmdUp_Click();
    EXPECT_EQ(queueState(), before);
    editor.Command2_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/c", "02-/s/b", "03-/s/d", "04-/s/a"}));
    EXPECT_EQ(selectedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(QueueAfterRestart(), list.texts());

    const Texts atBottom = queueState();
    editor.Command2_Click();
    EXPECT_EQ(queueState(), atBottom);
}

TEST_F(QueueMoveTest, NeighboursWithTheSamePathKeepBothKeys) {
    startWith({"/s/x", "/s/x", "/s/y"});
    select({1});
    editor.cmdUp_Click();
    editor.Command2_Click();
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/x", "02-/s/x", "03-/s/y"}));
}

TEST_F(QueueMoveTest, ARowWithoutANumberStaysAndAChangedRecordFollowsTheRows) {
    startWith({"/s/a", "/s/b"});
    list.append("notes");
    select({2});
    const Texts before = queueState();
    editor.cmdUp_Click();
    EXPECT_EQ(queueState(), before);

    record.deleteEntryKey("01-/s/a");
    record.createEntryKey("07-/other");
    select({1});
    editor.cmdUp_Click();
    EXPECT_EQ(list.texts(), (Texts{"01-/s/b", "02-/s/a", "notes"}));
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/b", "02-/s/a", "07-/other"}));
}

}  // namespace
}  // namespace vantrel::testing
