#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "run/Processes.h"

namespace vantrel {

/// A script could not be started; the text says what was missing, for the user.
class LaunchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What it takes to start one script.
struct LaunchRequest {
    /// What the user was shown ("esscmd.exe \"path\""); the window's title carries it.
    std::string commandLine;
    std::string scriptPath;
    /// Where the script runner records how the script ended, and copies its output.
    std::filesystem::path outcomeFile;
    std::filesystem::path logFile;
};

/// Starts one script of the queue under the script runner, in a minimized
/// window of its own, detached, so it outlives the program. The script path
/// reaches the tool as one argument whatever characters it holds.
class Launcher {
public:
    virtual ~Launcher() = default;
    /// Returns the process that lives exactly as long as the script's window
    /// (Linux: the terminal; Windows: the console's host, or the runner
    /// where the console is its own). Throws LaunchError when nothing could
    /// be started.
    virtual ProcessIdentity startScript(const LaunchRequest& request) = 0;
    /// Whether the process a start returned still runs, and with it the script.
    virtual bool isRunning(const ProcessIdentity& process) { return IsProcessAlive(process); }
};

/// The name of the command-line tool that runs one script.
inline constexpr const char* kScriptTool = "esscmd.exe";

/// The platform's launcher. The script runner is the one beside the running
/// program unless `runner` names another.
std::unique_ptr<Launcher> CreateLauncher(std::optional<std::filesystem::path> runner = std::nullopt);

}  // namespace vantrel
