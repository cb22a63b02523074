#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "base/FileDescriptor_linux.h"
#include "queue/ListFile.h"
#include "queue/ListFileBytes.h"

namespace vantrel {

namespace {

[[noreturn]] void FailWith(int error) {
    throw ListFileError(std::generic_category().message(error));
}

}  // namespace

std::size_t LongestPathBytes() { return PATH_MAX; }

std::string ReadListFileBytes(const std::string& path, std::size_t limit) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) FailWith(errno);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) FailWith(errno);
    if (!S_ISREG(status.st_mode)) throw ListFileError("it is not a regular file");
    std::string content(limit, '\0');
    std::size_t got = 0;
    while (got < content.size()) {
        const ssize_t count = ::read(file.get(), content.data() + got, content.size() - got);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) FailWith(errno);
        if (count == 0) break;
        got += static_cast<std::size_t>(count);
    }
    content.resize(got);
    return content;
}

}  // namespace vantrel
