// A whole run as a user sees it: the real window on an X server with a window
// manager, the real window list and launcher, terminals running the stand-in
// esscmd.exe, and every message box closed by clicking OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/MainWindow.h"
#include "app/UserProgram.h"
#include "queue/QueueEntry.h"
#include "testing/FileBytes.h"
#include "testing/JournalLines.h"
#include "testing/MessageBoxAnswerer.h"
#include "testing/StandInLog.h"
#include "testing/TempConfigHome.h"
#include "testing/XvfbServer.h"

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;
using testing::JournalLines;
using testing::StandInLog;

/// The program as it starts for the user: the saved queue in the real window,
/// the real window list and the real launcher.
struct StartedProgram {
    UserProgram program{{}, VANTREL_RUNNER};
    MainWindow window{program.parts()};

    StartedProgram() {
        window.load();
        window.show();
    }
};

class RunEndToEndTest : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    std::filesystem::path bin = home.path() / "bin";
    std::filesystem::path log = home.path() / "stand-in.log";
    Strings scripts;

    RunEndToEndTest() {
        std::filesystem::create_directories(bin);
        std::filesystem::create_symlink(VANTREL_STAND_IN, bin / "esscmd.exe");
        setenv("PATH", (bin.string() + ":" + std::getenv("PATH")).c_str(), 1);
        setenv("ESSCMD_STANDIN_SECONDS", "1.5", 1);
        setenv("ESSCMD_STANDIN_LOG", log.c_str(), 1);
        for (const char* name : {"calc q1.txt", "calc-q2.txt", "it's $HOME; q3.txt"}) {
            const std::filesystem::path script = home.path() / name;
            std::ofstream(script) << "LOGIN\nRUNCALC\nLOGOUT\n";
            scripts.push_back(script.string());
        }
    }
};

TEST_F(RunEndToEndTest, ThreeScriptsTwoAtATimeStartInQueueOrderAndTheRunFinishes) {
    auto store = OpenUserStore().store;
    for (std::size_t i = 0; i < scripts.size(); ++i)
        store->createKey(std::string(kQueueRecordKeyPath) + "\\0" + std::to_string(i + 1) + "-" + scripts[i]);
    store->setStringValue(kSettingsKeyPath, "Id", "2");
    store.reset();
    StartedProgram program;
    MainWindow& window = program.window;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    testing::MessageBoxAnswerer answerer;
    auto* run = window.findChild<QPushButton*>("cmdRun");
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return run->text() == "Finished, Start Again"; }, 60000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return StandInLog::Read(log).exitStatuses.size() == 3; }, 30000));

    // Terminals started a moment apart may log their start in either order;
    // the order the program chose is the order of its command-line boxes.
    StandInLog ran = StandInLog::Read(log);
    std::sort(ran.started.begin(), ran.started.end());
    EXPECT_EQ(ran.started, (std::vector<Strings>{{scripts[0]}, {scripts[1]}, {scripts[2]}}));
    EXPECT_LE(ran.mostAtOnce, 2);
    EXPECT_EQ(window.findChild<QLabel*>("lblStatus_0")->text(), "Scripts Executed:  3");
    const Strings boxes = answerer.texts();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front(), "0");
    Strings launches;
    std::copy_if(boxes.begin(), boxes.end(), std::back_inserter(launches),
                 [](const std::string& box) { return box.starts_with("esscmd.exe "); });
    Strings queueOrder;
    for (const std::string& script : scripts) queueOrder.push_back(CommandLine(script));
    EXPECT_EQ(launches, queueOrder);

    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

/// The rows' marks as their tooltips name them, for waiting on a moment of the run.
int RowsWhoseTooltipHas(QListWidget& list, const QString& words) {
    int rows = 0;
    for (int row = 0; row < list.count(); ++row) rows += list.item(row)->toolTip().contains(words);
    return rows;
}

/// Saves the window as PNG under the build tree, for a person to look at.
void SaveScreenshot(QWidget& window, const QString& name) {
    const QDir folder(QStringLiteral(VANTREL_SCREENSHOT_DIR));
    EXPECT_TRUE(folder.mkpath(".") && window.grab().save(folder.filePath(name + ".png"))) << name.toStdString();
}

/// Whether the row's mark has red in it, as the marks of failed scripts have.
bool MarkIsRed(QListWidgetItem& row) {
    const QImage mark = row.icon().pixmap(16, 16).toImage();
    for (int y = 0; y < mark.height(); ++y)
        for (int x = 0; x < mark.width(); ++x) {
            const QColor pixel = mark.pixelColor(x, y);
            if (pixel.alpha() > 128 && pixel.red() > 150 && pixel.green() < 90 && pixel.blue() < 90) return true;
        }
    return false;
}

TEST_F(RunEndToEndTest, AQuietRunOfTenScriptsThreeAtATimeNeedsNoClickAfterStartAndIsJournaled) {
    constexpr double kScriptSeconds = 3;
    setenv("ESSCMD_STANDIN_SECONDS", "3", 1);
    auto store = OpenUserStore().store;
    Strings ten;
    // Paths longer than the list is wide, as they are on a real server.
    const std::filesystem::path folder = home.path() / "quarterly consolidation" / "north region forecasts";
    std::filesystem::create_directories(folder);
    for (int i = 1; i <= 10; ++i) {
        const std::filesystem::path script = folder / ("night calc " + std::to_string(i) + ".txt");
        // The fourth fails, as a calculation whose last command went wrong does.
        std::ofstream(script) << "LOGIN\nRUNCALC\nLOGOUT\n" << (i == 4 ? "STANDIN-EXIT 3\n" : "");
        ten.push_back(script.string());
        store->createKey(std::string(kQueueRecordKeyPath) + "\\" + EntryText(i, script.string()));
    }
    store->setStringValue(kSettingsKeyPath, "Id", "3");
    store->setStringValue(kSettingsKeyPath, "ShowRunMessages", "0");
    store.reset();
    StartedProgram program;
    MainWindow& window = program.window;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    testing::MessageBoxAnswerer answerer;
    auto* list = window.findChild<QListWidget*>("lstEsscmd");
    auto* run = window.findChild<QPushButton*>("cmdRun");
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return RowsWhoseTooltipHas(*list, "Running since") == 3; }, 30000));
    SaveScreenshot(window, "quiet-run-first-three");
    EXPECT_TRUE(QTest::qWaitFor([&] { return RowsWhoseTooltipHas(*list, "Failed:") == 1; }, 60000));
    SaveScreenshot(window, "quiet-run-midway-one-failed");
    EXPECT_TRUE(QTest::qWaitFor([&] { return run->text() == "Finished, Start Again"; }, 120000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return RowsWhoseTooltipHas(*list, "Done:") == 9; }, 60000));
    SaveScreenshot(window, "quiet-run-finished");
    EXPECT_NE(list->item(3)->toolTip().indexOf("Failed: exit status 3"), -1) << list->item(3)->toolTip().toStdString();
    EXPECT_TRUE(MarkIsRed(*list->item(3)));
    EXPECT_FALSE(MarkIsRed(*list->item(2)));
    EXPECT_EQ(window.findChild<QLabel*>("lblStatus_0")->text(), "Scripts Executed:  10   Scripts Failed:  1");

    EXPECT_TRUE(answerer.seen.empty()) << answerer.texts().front();
    const StandInLog ran = StandInLog::Read(log);
    std::vector<int> statuses = ran.exitStatuses;
    std::sort(statuses.begin(), statuses.end());
    EXPECT_EQ(statuses, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 3}));
    EXPECT_LE(ran.mostAtOnce, 3);
    const std::vector<Strings> lines = JournalLines(home.path() / "state" / "vantrel");
    ASSERT_EQ(lines.size(), 10u);
    Strings journaled;
    for (const Strings& line : lines) {
        ASSERT_EQ(line.size(), 8u);
        journaled.push_back(line[1]);
        EXPECT_EQ(line[6], line[1] == ten[3] ? "3" : "0") << line[1];
        // The client's output, its only account of what went wrong, is in the log.
        EXPECT_NE(testing::ReadBytes(line[7]).find("Local>RUNCALC"), std::string::npos) << line[7];
        EXPECT_EQ(line[0], EntryText(std::stoi(line[0]), line[1]));
        EXPECT_FALSE(line[3].empty() || line[4].empty()) << line[1];
        // A script cannot end before the stand-in's run time, and nothing here takes a minute.
        EXPECT_GE(std::stod(line[5]), kScriptSeconds) << line[1];
        EXPECT_LT(std::stod(line[5]), 60) << line[1];
    }
    std::sort(journaled.begin(), journaled.end());
    Strings queued = ten;
    std::sort(queued.begin(), queued.end());
    EXPECT_EQ(journaled, queued);
    QTest::mouseClick(run, Qt::LeftButton);
}

}  // namespace
}  // namespace vantrel

// The window must live on the test's own X server with a window manager, so
// the server starts before the application connects to it.
int main(int argc, char** argv) {
    vantrel::testing::XvfbServer server(vantrel::testing::XvfbServer::WindowManager::Openbox);
    setenv("DISPLAY", server.display().c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
