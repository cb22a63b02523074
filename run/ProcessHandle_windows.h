#pragma once

#include <windows.h>

#include "run/Processes.h"

namespace vantrel {

/// The identity of the process behind a handle with query rights; the id
/// stays that process's while the handle is open.
ProcessIdentity IdentityOfProcess(HANDLE process);

}  // namespace vantrel
