#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vantrel::testing {

/// Polls `condition` every few milliseconds until it holds or the time is up;
/// the bound only guards against hanging, it is no expectation of speed.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds bound = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

/// An X client of its own, making and inspecting the windows the tests look
/// for: the part a script's terminal or a dialog would play.
class XcbTestClient {
public:
    struct Free {
        void operator()(void* pointer) const noexcept { std::free(pointer); }
    };
    template <typename T>
    using Reply = std::unique_ptr<T, Free>;

    explicit XcbTestClient(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(c())) throw std::runtime_error("cannot connect to " + display);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c())).data->root;
    }

    xcb_connection_t* c() const { return connection_.get(); }
    xcb_window_t root() const { return root_; }

    xcb_atom_t atom(std::string_view name) {
        const Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(c(), xcb_intern_atom(c(), 0, name.size(), name.data()), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    /// A top-level window, not yet mapped and without any title.
    xcb_window_t createWindow() {
        const xcb_window_t window = xcb_generate_id(c());
        const std::uint32_t background = 0x00336699;
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, window, root_, 10, 10, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
                          &background);
        return window;
    }

    void setProperty(xcb_window_t window, std::string_view property, std::string_view type,
                     std::string_view bytes) {
        xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window, atom(property), atom(type), 8,
                            bytes.size(), bytes.data());
    }

    void setNetWmName(xcb_window_t window, std::string_view utf8) {
        setProperty(window, "_NET_WM_NAME", "UTF8_STRING", utf8);
    }
    void setWmName(xcb_window_t window, std::string_view bytes, std::string_view type = "STRING") {
        setProperty(window, "WM_NAME", type, bytes);
    }
    void setTransientFor(xcb_window_t window, xcb_window_t owner) {
        xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_TRANSIENT_FOR,
                            XCB_ATOM_WINDOW, 32, 1, &owner);
    }
    void setWmState(xcb_window_t window, std::uint32_t state) {
        const std::uint32_t value[] = {state, XCB_WINDOW_NONE};
        xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window, atom("WM_STATE"), atom("WM_STATE"),
                            32, 2, value);
    }
    void setNetWmState(xcb_window_t window, const std::vector<xcb_atom_t>& states) {
        xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_STATE"),
                            XCB_ATOM_ATOM, 32, states.size(), states.data());
    }
    /// ICCCM WM_HINTS with the initial state Iconic, as `xterm -iconic` sets it.
    void startIconic(xcb_window_t window) {
        xcb_icccm_wm_hints_t hints{};
        xcb_icccm_wm_hints_set_iconic(&hints);
        xcb_icccm_set_wm_hints(c(), window, &hints);
    }

    /// A titled window with the title as _NET_WM_NAME.
    xcb_window_t createTitled(std::string_view title, bool mapped = true) {
        const xcb_window_t window = createWindow();
        setNetWmName(window, title);
        if (mapped) xcb_map_window(c(), window);
        return window;
    }

    /// A round trip: the server has handled every request sent before.
    void sync() {
        Reply<xcb_get_input_focus_reply_t>(
            xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
        while (Reply<xcb_generic_event_t>(xcb_poll_for_event(c()))) {
        }
    }

    std::vector<std::uint32_t> words(xcb_window_t window, xcb_atom_t property) {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c(), xcb_get_property(c(), 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr));
        if (!reply || reply->format != 32) return {};
        const auto* first = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return {first, first + xcb_get_property_value_length(reply.get()) / 4};
    }

    /// WM_STATE's state field, or -1 when the window has none.
    long wmState(xcb_window_t window) {
        const std::vector<std::uint32_t> value = words(window, atom("WM_STATE"));
        return value.empty() ? -1 : static_cast<long>(value[0]);
    }

    bool viewable(xcb_window_t window) {
        const Reply<xcb_get_window_attributes_reply_t> reply(
            xcb_get_window_attributes_reply(c(), xcb_get_window_attributes(c(), window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    xcb_window_t focus() {
        const Reply<xcb_get_input_focus_reply_t> reply(
            xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
        return reply ? reply->focus : xcb_window_t{XCB_WINDOW_NONE};
    }

    xcb_window_t activeWindow() {
        const std::vector<std::uint32_t> value = words(root_, atom("_NET_ACTIVE_WINDOW"));
        return value.empty() ? xcb_window_t{XCB_WINDOW_NONE} : value[0];
    }

    /// The children of the root window, bottom to top, as the server stacks them.
    std::vector<xcb_window_t> rootChildren() {
        const Reply<xcb_query_tree_reply_t> reply(
            xcb_query_tree_reply(c(), xcb_query_tree(c(), root_), nullptr));
        if (!reply) return {};
        const xcb_window_t* first = xcb_query_tree_children(reply.get());
        return {first, first + xcb_query_tree_children_length(reply.get())};
    }

    /// The child of the root that holds `window`: its frame under a window manager.
    xcb_window_t topLevelOf(xcb_window_t window) {
        for (;;) {
            const Reply<xcb_query_tree_reply_t> reply(
                xcb_query_tree_reply(c(), xcb_query_tree(c(), window), nullptr));
            if (!reply) return XCB_WINDOW_NONE;
            if (reply->parent == root_) return window;
            window = reply->parent;
        }
    }

    /// Position in the stacking order counted from the top (0 = topmost).
    std::ptrdiff_t depthFromTop(xcb_window_t window) {
        const xcb_window_t top = topLevelOf(window);
        const std::vector<xcb_window_t> stack = rootChildren();
        const auto found = std::ranges::find(stack, top);
        if (found == stack.end()) return -1;
        return std::distance(found, stack.end()) - 1;
    }

    /// Whether `window` is stacked above every other window listed.
    bool stackedAbove(xcb_window_t window, const std::vector<xcb_window_t>& others) {
        const std::ptrdiff_t depth = depthFromTop(window);
        return depth >= 0 && std::ranges::all_of(others, [&](xcb_window_t other) {
                   return depthFromTop(other) > depth;
               });
    }

    void raise(xcb_window_t window) {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }

    /// ICCCM 4.1.4: asks the window manager to iconify a client.
    void requestIconic(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("WM_CHANGE_STATE");
        event.data.data32[0] = XCB_ICCCM_WM_STATE_ICONIC;
        xcb_send_event(c(), 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }

private:
    struct Disconnect {
        void operator()(xcb_connection_t* connection) const noexcept { xcb_disconnect(connection); }
    };
    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
};

}  // namespace vantrel::testing
