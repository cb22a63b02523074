#include <windows.h>

#include "run/OwnedHandle_windows.h"
#include "run/ProcessHandle_windows.h"

namespace vantrel {

ProcessIdentity IdentityOfProcess(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    return {GetProcessId(process), (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime};
}

std::optional<ProcessIdentity> RunningProcess(std::uint64_t id) {
    if (id == 0 || id > MAXDWORD) return std::nullopt;
    const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                          static_cast<DWORD>(id)));
    // A process that has ended can still be opened while anyone holds a handle to it.
    if (!process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) return std::nullopt;
    return IdentityOfProcess(process.get());
}

bool IsProcessAlive(const ProcessIdentity& process) {
    return RunningProcess(process.id) == process;
}

}  // namespace vantrel
