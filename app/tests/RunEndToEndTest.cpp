// A whole run as a user sees it: the real window on an X server with a window
// manager, the real window list and launcher, terminals running the stand-in
// esscmd.exe, and every message box closed by clicking OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/MainWindow.h"
#include "testing/MessageBoxAnswerer.h"
#include "testing/StandInLog.h"
#include "testing/TempConfigHome.h"
#include "testing/XvfbServer.h"

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;
using testing::StandInLog;

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
    SettingsKeys settings(*store);
    ProgramState state;
    const auto windows = OpenDesktopWindowList();
    const auto launcher = CreateLauncher();
    MainWindow window(state, settings, *windows, *launcher);
    window.load();
    window.show();
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
