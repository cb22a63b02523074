#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vantrel::testing {

/// A fresh temporary folder that stands in for the user's configuration home
/// and state home while it lives, so no test ever touches the real store or
/// the real run journal.
class TempConfigHome {
public:
    TempConfigHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
        setenv("XDG_STATE_HOME", (path_ / "state").c_str(), 1);
    }
    ~TempConfigHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path storeFile() const { return path_ / "vantrel" / "registry.sqlite3"; }
    std::filesystem::path journalFolder() const { return path_ / "state" / "vantrel"; }

private:
    std::filesystem::path path_;
};

}  // namespace vantrel::testing
