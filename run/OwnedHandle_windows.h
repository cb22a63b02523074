#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace vantrel {

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
/// A kernel handle (process, thread, file, pipe, event), closed with the object.
/// Test with Valid(): files fail as INVALID_HANDLE_VALUE, the rest as nullptr.
using OwnedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

inline bool Valid(const OwnedHandle& handle) {
    return handle && handle.get() != INVALID_HANDLE_VALUE;
}

}  // namespace vantrel
