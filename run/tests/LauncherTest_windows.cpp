#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "run/Launcher.h"
#include "run/RunController.h"
#include "testing/FileBytes.h"

namespace vantrel {
namespace {

class LauncherTest : public ::testing::Test {
protected:
    const std::filesystem::path report =
        std::filesystem::temp_directory_path() /
        ("vantrel-stand-in-" + std::to_string(GetCurrentProcessId()) + ".txt");
    const std::unique_ptr<Launcher> launcher = CreateLauncher();

    // The build puts the stand-in esscmd.exe beside this program, not in its
    // folder, so only PATH leads to it.
    LauncherTest() {
        wchar_t self[MAX_PATH * 4] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
        const auto standIn = std::filesystem::path(self).parent_path() / "stand-in";
        SetEnvironmentVariableW(L"PATH", standIn.c_str());
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_REPORT", report.c_str());
    }
    ~LauncherTest() override { std::filesystem::remove(report); }
};

TEST_F(LauncherTest, APathWithBlanksArrivesAsOneArgumentInAMinimizedConsoleTitledWithIt) {
    const std::string path = "C:\\My Scripts\\calc  1.txt";
    launcher->startScript(CommandLine(path), path);
    for (int wait = 0; wait < 1200 && !std::filesystem::exists(report); ++wait) Sleep(50);
    EXPECT_EQ(testing::ReadBytes(report),
              "1\n" + path + "\n" + CommandLine(path) + "\nminimized\n");
}

// No stand-in on PATH, so a path with a quote let through is not started either.
TEST_F(LauncherTest, RefusesAPathHoldingADoubleQuoteAndNamesAMissingTool) {
    SetEnvironmentVariableW(L"PATH", L"");
    for (const auto& [path, refusal] :
         {std::pair{"C:\\a\" b.txt", "double quote"}, {"C:\\a.txt", "esscmd.exe was not found"}}) {
        try {
            launcher->startScript(CommandLine(path), path);
            ADD_FAILURE() << path << " was started";
        } catch (const LaunchError& error) {
            EXPECT_NE(std::string(error.what()).find(refusal), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace vantrel
