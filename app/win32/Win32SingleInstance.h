#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/win32/NativeHandles.h"

namespace vantrel::win32 {

/// The WM_COPYDATA tag of a later start's request to the running window. The
/// data is the later start's arguments, each followed by a zero character.
inline constexpr ULONG_PTR kLaterStartRequest = 0x5654524C;

/// Keeps Vantrel to one window per user. The first start holds a mutex named
/// for the user in the session's namespace; a later start hands its arguments
/// to the running window, which comes to the front, and ends.
class SingleInstance {
public:
    SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// True when this start is the one that runs; false when another runs and
    /// has taken the request, so this one should end.
    bool claim(const std::vector<std::wstring>& arguments);

private:
    OwnedHandle mutex_;
    bool first_;
};

/// The program's arguments, the program's own name left out.
std::vector<std::wstring> CommandLineArguments();

}  // namespace vantrel::win32
