#pragma once

// An X client of the tests' own: it makes the windows a script's terminal or a
// dialog would, and looks at what the server and the window manager made of them.

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

class XcbTestClient {
public:
    explicit XcbTestClient(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr), &xcb_disconnect) {
        if (xcb_connection_has_error(c())) throw std::runtime_error("cannot connect to " + display);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c())).data->root;
    }

    xcb_connection_t* c() const { return connection_.get(); }

    xcb_atom_t atom(std::string_view name) {
        const auto reply = Own(
            xcb_intern_atom_reply(c(), xcb_intern_atom(c(), 0, name.size(), name.data()), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    void set(xcb_window_t window, std::string_view property, std::string_view type,
             std::uint8_t format, std::uint32_t length, const void* data) {
        xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window, atom(property), atom(type), format,
                            length, data);
    }

    /// A window, not mapped, titled by _NET_WM_NAME when a title is given;
    /// a top-level one unless a parent is given.
    xcb_window_t window(std::optional<std::string_view> title = std::nullopt,
                        xcb_window_t parent = XCB_WINDOW_NONE) {
        const xcb_window_t window = xcb_generate_id(c());
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, window, parent ? parent : root_, 10, 10, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (title) set(window, "_NET_WM_NAME", "UTF8_STRING", 8, title->size(), title->data());
        return window;
    }

    /// A round trip: the server has handled every request sent before.
    void sync() { focus(); }

    xcb_window_t focus() {
        const auto reply = Own(xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
        return reply ? reply->focus : xcb_window_t{XCB_WINDOW_NONE};
    }

    /// WM_STATE's state field, or -1 when the window has none.
    long wmState(xcb_window_t window) {
        const auto reply = Own(xcb_get_property_reply(
            c(), xcb_get_property(c(), 0, window, atom("WM_STATE"), XCB_ATOM_ANY, 0, 1), nullptr));
        return reply && xcb_get_property_value_length(reply.get()) == 4
                   ? *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()))
                   : -1;
    }

    /// The 32-bit fields of a property, empty when the window has none.
    std::vector<std::uint32_t> cardinals(xcb_window_t window, std::string_view property) {
        const auto reply = Own(xcb_get_property_reply(
            c(), xcb_get_property(c(), 0, window, atom(property), XCB_ATOM_ANY, 0, 64), nullptr));
        if (!reply || reply->format != 32) return {};
        const auto* first = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return {first, first + xcb_get_property_value_length(reply.get()) / 4};
    }

    bool viewable(xcb_window_t window) {
        const auto reply = Own(
            xcb_get_window_attributes_reply(c(), xcb_get_window_attributes(c(), window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    /// The child of the root that holds the window (its frame under a window
    /// manager); none once the window is gone.
    xcb_window_t topLevelOf(xcb_window_t window) {
        for (;;) {
            const auto reply = Own(xcb_query_tree_reply(c(), xcb_query_tree(c(), window), nullptr));
            if (!reply) return XCB_WINDOW_NONE;
            if (reply->parent == root_) return window;
            window = reply->parent;
        }
    }

    /// Whether the server stacks `upper` above `lower`.
    bool above(xcb_window_t upper, xcb_window_t lower) {
        const auto tree = Own(xcb_query_tree_reply(c(), xcb_query_tree(c(), root_), nullptr));
        const xcb_window_t* bottom = xcb_query_tree_children(tree.get());
        const xcb_window_t* end = bottom + xcb_query_tree_children_length(tree.get());
        const xcb_window_t* upperAt = std::find(bottom, end, topLevelOf(upper));
        return upperAt != end && std::find(bottom, end, topLevelOf(lower)) < upperAt;
    }

    /// ICCCM 4.1.4: asks the window manager to iconify a client.
    void requestIconic(xcb_window_t window) {
        xcb_client_message_event_t event{XCB_CLIENT_MESSAGE,      32, 0, window,
                                         atom("WM_CHANGE_STATE"), {}};
        event.data.data32[0] = XCB_ICCCM_WM_STATE_ICONIC;
        xcb_send_event(c(), 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }

private:
    /// Every XCB reply is the caller's to free().
    template <typename T>
    static std::unique_ptr<T, decltype(&std::free)> Own(T* reply) {
        return {reply, &std::free};
    }

    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
};

}  // namespace vantrel::testing
