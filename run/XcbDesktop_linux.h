#pragma once

// One XCB connection to the desktop and the reads the window list is made of,
// each sent for a whole batch of windows before the first reply is read.

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::xcb {

struct FreeDeleter {
    void operator()(void* pointer) const noexcept { std::free(pointer); }
};
/// Every reply, error and event XCB hands out is the caller's to free().
template <typename T>
using XcbPointer = std::unique_ptr<T, FreeDeleter>;

struct DisconnectDeleter {
    void operator()(xcb_connection_t* connection) const noexcept { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, DisconnectDeleter>;

using PropertyReply = XcbPointer<xcb_get_property_reply_t>;

enum AtomId : std::size_t {
    kWmState,
    kNetWmName,
    kUtf8String,
    kCompoundText,
    kNetWmState,
    kNetWmStateHidden,
    kNetActiveWindow,
    kNetSupportingWmCheck,
    kNetSupported,
    kNetClientList,
    kAtomCount
};

/// What the list needs of one window.
struct WindowProperties {
    bool gone = false;
    bool owned = false;
    bool hasWmState = false;
    std::string title;
};

class Desktop {
public:
    /// Connects to the display named, or to $DISPLAY for nullptr; throws
    /// std::runtime_error saying why it cannot.
    explicit Desktop(const char* displayName);

    xcb_connection_t* c() const { return connection_.get(); }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(AtomId id) const { return atoms_[id]; }
    /// Windows created by one client share the bits outside this mask.
    std::uint32_t resourceIdMask() const { return resourceIdMask_; }

    void checkConnection() const;

    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property,
                                              std::uint32_t words);
    /// The reply, or nothing when the window has gone (or the connection broke).
    PropertyReply readProperty(xcb_get_property_cookie_t cookie, bool& gone);
    static bool IsSet(const PropertyReply& reply);
    static std::vector<std::uint32_t> Words(const PropertyReply& reply);

    /// Title, owner and WM_STATE of every window; WM_STATE only from index
    /// `wmStateFrom` on, where the caller does not know it matters not.
    std::vector<WindowProperties> properties(const std::vector<xcb_window_t>& windows,
                                             std::size_t wmStateFrom = 0);
    /// The children of each window, bottom to top as the server stacks them;
    /// empty for a window that has gone.
    std::vector<std::vector<xcb_window_t>> children(const std::vector<xcb_window_t>& windows);
    /// The parent of each window; none for a window that has gone.
    std::vector<xcb_window_t> parents(const std::vector<xcb_window_t>& windows);
    /// Asks for the events of every window; repeating it is harmless.
    void selectEvents(const std::vector<xcb_window_t>& windows, std::uint32_t mask);

    /// The window manager's check window when one runs (it exists and names
    /// itself), else none: a manager that has gone may leave the root's property behind.
    xcb_window_t runningManager();

private:
    std::string textProperty(const PropertyReply& reply) const;
    void internAtoms();

    Connection connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    std::uint32_t resourceIdMask_ = 0;
    std::array<xcb_atom_t, kAtomCount> atoms_{};
};

}  // namespace vantrel::xcb
