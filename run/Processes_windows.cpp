#include <windows.h>

#include "run/OwnedHandle_windows.h"
#include "run/Processes.h"

namespace vantrel {

std::optional<ProcessIdentity> RunningProcess(std::uint64_t id) {
    if (id == 0 || id > MAXDWORD) return std::nullopt;
    const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                          static_cast<DWORD>(id)));
    FILETIME created{}, exited{}, kernel{}, user{};
    // A process that has ended can still be opened while anyone holds a handle to it.
    if (!process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT ||
        !GetProcessTimes(process.get(), &created, &exited, &kernel, &user))
        return std::nullopt;
    return ProcessIdentity{id, (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime};
}

bool IsProcessAlive(const ProcessIdentity& process) {
    return RunningProcess(process.id) == process;
}

}  // namespace vantrel
