#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "run/ProcessStat_linux.h"
#include "run/Processes.h"

namespace vantrel {

namespace {

/// "/proc/<pid>/stat" written into `path` without allocating.
void StatPath(pid_t pid, char (&path)[32]) {
    char digits[16];
    int count = 0;
    for (auto rest = static_cast<unsigned long>(pid); count == 0 || rest > 0; rest /= 10)
        digits[count++] = static_cast<char>('0' + rest % 10);
    const char prefix[] = "/proc/";
    char* out = path;
    for (const char* in = prefix; *in != '\0'; ++in) *out++ = *in;
    while (count > 0) *out++ = digits[--count];
    for (const char* in = "/stat"; *in != '\0'; ++in) *out++ = *in;
    *out = '\0';
}

/// The fields after the command name, which may hold blanks and parentheses
/// itself, so the last ')' ends it: "S 1 ..." with the state as field 3.
std::optional<ProcessStat> ParseStat(const char* text, std::size_t size) {
    std::size_t at = size;
    while (at > 0 && text[at - 1] != ')') --at;
    if (at == 0) return std::nullopt;
    ProcessStat stat;
    int field = 2;  // the command name
    for (; at < size && field < 22; ++at) {
        if (text[at] != ' ') continue;
        ++field;
        if (field == 3 && at + 1 < size) stat.state = text[at + 1];
    }
    if (field != 22) return std::nullopt;
    bool digits = false;
    for (; at < size && text[at] >= '0' && text[at] <= '9'; ++at, digits = true)
        stat.startTime = stat.startTime * 10 + static_cast<std::uint64_t>(text[at] - '0');
    if (!digits) return std::nullopt;
    return stat;
}

}  // namespace

std::optional<ProcessStat> ReadProcessStat(pid_t pid) {
    if (pid <= 0) return std::nullopt;
    char path[32];
    StatPath(pid, path);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    char text[2048];
    std::size_t size = 0;
    while (size < sizeof text) {
        const ssize_t count = ::read(fd, text + size, sizeof text - size);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        size += static_cast<std::size_t>(count);
    }
    ::close(fd);
    return ParseStat(text, size);
}

std::optional<ProcessIdentity> RunningProcess(std::uint64_t id) {
    if (id > static_cast<std::uint64_t>(std::numeric_limits<pid_t>::max())) return std::nullopt;
    const std::optional<ProcessStat> stat = ReadProcessStat(static_cast<pid_t>(id));
    if (!stat || stat->state == 'Z' || stat->state == 'X') return std::nullopt;
    return ProcessIdentity{id, stat->startTime};
}

bool IsProcessAlive(const ProcessIdentity& process) {
    return RunningProcess(process.id) == process;
}

}  // namespace vantrel
