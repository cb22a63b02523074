#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "run/Launcher.h"
#include "run/RunController.h"

namespace vantrel {
namespace {

using Lines = std::vector<std::string>;

std::optional<std::wstring> EnvironmentValue(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

/// Sets a variable of this process's environment, which the programs it starts
/// inherit, and puts back what was there before when it goes.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value)
        : name_(name), previous_(EnvironmentValue(name)) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() {
        SetEnvironmentVariableW(name_, previous_ ? previous_->c_str() : nullptr);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* name_;
    std::optional<std::wstring> previous_;
};

/// The folder the build puts the stand-in esscmd.exe into, beside this test
/// program but not in its folder, so that only PATH leads to it.
std::filesystem::path StandInFolder() {
    std::wstring self(MAX_PATH * 4, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return std::filesystem::path(self).parent_path() / "stand-in";
}

std::string LaunchErrorOf(Launcher& launcher, const std::string& scriptPath) {
    try {
        launcher.startScript(CommandLine(scriptPath), scriptPath);
    } catch (const LaunchError& error) {
        return error.what();
    }
    return "(started)";
}

class LauncherTest : public ::testing::Test {
protected:
    const std::filesystem::path reportFile =
        std::filesystem::temp_directory_path() /
        ("vantrel-stand-in-" + std::to_string(GetCurrentProcessId()) + ".txt");
    ScopedEnvironment reportVariable{L"ESSCMD_STANDIN_REPORT", reportFile.wstring()};
    std::unique_ptr<Launcher> launcher = CreateLauncher();

    ~LauncherTest() override { std::filesystem::remove(reportFile); }

    /// Starts the script with the stand-in found on PATH and gives its report.
    Lines startWithStandIn(const std::string& scriptPath) {
        std::filesystem::remove(reportFile);
        {
            const ScopedEnvironment path(L"PATH", StandInFolder().wstring() + L";" +
                                                      EnvironmentValue(L"PATH").value_or(L""));
            launcher->startScript(CommandLine(scriptPath), scriptPath);
        }
        return waitForReport();
    }

    Lines waitForReport() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!std::filesystem::exists(reportFile) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream in(reportFile, std::ios::binary);
        Lines lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(LauncherTest, StartsTheToolInAMinimizedConsoleTitledWithTheCommandLine) {
    const std::string path = "C:\\Scripts\\calc 1.txt";
    EXPECT_EQ(startWithStandIn(path), (Lines{"1", path, CommandLine(path), "minimized"}));
}

TEST_F(LauncherTest, AnyScriptPathArrivesAsOneArgumentUnchanged) {
    for (const std::string path :
         {"D:\\\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\\\xF0\x9F\x98\x80 x.txt",
          "\\\\server\\share\\a  b.txt", "C:\\folder with blanks\\", "C:\\tab\there", ""}) {
        const Lines report = startWithStandIn(path);
        ASSERT_EQ(report.size(), 4u) << path;
        EXPECT_EQ(report[0], "1") << path;
        EXPECT_EQ(report[1], path);
    }
}

TEST_F(LauncherTest, AMissingToolIsReportedByName) {
    const ScopedEnvironment path(L"PATH", L"C:\\windows\\system32;C:\\windows");
    EXPECT_NE(LaunchErrorOf(*launcher, "C:\\Scripts\\a.txt").find("esscmd.exe was not found"),
              std::string::npos);
}

TEST_F(LauncherTest, APathHoldingADoubleQuoteIsRefused) {
    const ScopedEnvironment path(L"PATH", StandInFolder().wstring());
    const std::string error = LaunchErrorOf(*launcher, "C:\\a\" b.txt");
    EXPECT_NE(error.find("double quote"), std::string::npos) << error;
}

}  // namespace
}  // namespace vantrel
