#pragma once

// A small tmpfs over a folder, mounted in a mount namespace of the test
// process's own so that nothing outside sees it: a disk that fills up or turns
// read-only on demand. Mounting needs root, or an unprivileged user namespace;
// where neither is allowed, mounted() is false and the test skips.

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vantrel::testing {

class PrivateTmpfs {
public:
    PrivateTmpfs(const std::filesystem::path& folder, std::size_t bytes) : folder_(folder) {
        std::filesystem::create_directories(folder_);
        mounted_ =
            enterOwnMountNamespace() && ::mount("tmpfs", folder_.c_str(), "tmpfs", 0,
                                                ("size=" + std::to_string(bytes)).c_str()) == 0;
    }
    ~PrivateTmpfs() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    PrivateTmpfs(const PrivateTmpfs&) = delete;
    PrivateTmpfs& operator=(const PrivateTmpfs&) = delete;

    bool mounted() const { return mounted_; }

    /// Writes a file until the disk is full.
    void fill() const {
        std::ofstream filler(folder_ / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) filler.flush();
    }
    bool makeReadOnly() const {
        return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    static void writeFile(const char* path, const std::string& text) {
        std::ofstream(path) << text;
    }

    static bool enterOwnMountNamespace() {
        if (::unshare(CLONE_NEWNS) != 0) {
            const uid_t uid = ::getuid();
            const gid_t gid = ::getgid();
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
            writeFile("/proc/self/setgroups", "deny");
            writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
            writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
        }
        return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    std::filesystem::path folder_;
    bool mounted_ = false;
};

}  // namespace vantrel::testing
