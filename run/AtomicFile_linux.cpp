#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/FileDescriptor_linux.h"
#include "run/AtomicFile.h"

namespace vantrel {

FileWriteError::FileWriteError(const std::filesystem::path& file, std::string reason)
    : std::runtime_error(file.string() + " cannot be written: " + reason), reason_(std::move(reason)) {}

namespace {

[[noreturn]] void Fail(const std::filesystem::path& file) {
    throw FileWriteError(file, std::strerror(errno));
}

void WriteAll(int fd, std::string_view bytes, const std::filesystem::path& file) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) Fail(file);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

/// The rename itself reaches the disk only with its folder.
void SyncFolder(const std::filesystem::path& folder, const std::filesystem::path& file) {
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || ::fsync(fd.get()) != 0) Fail(file);
}

}  // namespace

void ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const std::string name = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid()) Fail(file);
    const std::filesystem::path temporary(pattern.data());
    try {
        WriteAll(fd.get(), bytes, file);
        if (::fsync(fd.get()) != 0) Fail(file);
        fd.reset();
        if (::rename(temporary.c_str(), file.c_str()) != 0) Fail(file);
    } catch (const FileWriteError&) {
        ::unlink(temporary.c_str());
        throw;
    }
    SyncFolder(folder, file);
}

}  // namespace vantrel
