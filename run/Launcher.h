#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace vantrel {

/// A script could not be started; the text says what was missing, for the user.
class LaunchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Starts one script of the queue in a minimized window of its own, detached,
/// so it outlives the program. The script path reaches the tool as one
/// argument whatever characters it holds.
class Launcher {
public:
    virtual ~Launcher() = default;
    /// `commandLine` is what the user was shown ("esscmd.exe \"path\""); the
    /// window's title carries it. Throws LaunchError when nothing could be started.
    virtual void startScript(const std::string& commandLine, const std::string& scriptPath) = 0;
};

/// The name of the command-line tool that runs one script.
inline constexpr const char* kScriptTool = "esscmd.exe";

/// The platform's launcher.
std::unique_ptr<Launcher> CreateLauncher();

}  // namespace vantrel
