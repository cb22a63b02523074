#pragma once

// The top-level windows as the window list promises them
// (run/X11WindowTracker_linux.h), found by a plain descent of the X tree that
// asks the server about one window at a time and shares no code with the list:
// what the list kept from events is held against.

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run/WindowList.h"
#include "testing/XcbTestClient.h"

namespace vantrel::testing {

class XcbReferenceWalk {
public:
    explicit XcbReferenceWalk(XcbTestClient& x)
        : x_(x),
          root_(xcb_setup_roots_iterator(xcb_get_setup(x.c())).data->root),
          wmState_(x.atom("WM_STATE")),
          netWmName_(x.atom("_NET_WM_NAME")) {}

    /// Each child of the root, from the top of the stacking order down, as
    /// the window it stands for.
    std::vector<TopLevelWindow> windows() {
        std::vector<TopLevelWindow> list;
        for (const xcb_window_t top : childrenTopFirst(root_))
            if (const std::optional<TopLevelWindow> shown = standingFor(top))
                list.push_back(*shown);
        return list;
    }

private:
    using Reply = std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>;
    static constexpr int kDepth = 2;

    struct Look {
        bool managed = false;  // has WM_STATE
        TopLevelWindow window;
    };

    std::optional<TopLevelWindow> standingFor(xcb_window_t top) {
        const std::optional<Look> self = look(top);
        if (!self) return std::nullopt;
        if (self->managed) return self->window;
        std::optional<TopLevelWindow> titled;
        std::vector<xcb_window_t> level = {top};
        for (int depth = 1; depth <= kDepth; ++depth) {
            std::vector<xcb_window_t> next;
            for (const xcb_window_t window : level)
                for (const xcb_window_t child : childrenTopFirst(window)) next.push_back(child);
            for (const xcb_window_t window : next) {
                const std::optional<Look> below = look(window);
                if (!below) continue;
                if (below->managed) return below->window;
                if (!titled && self->window.title.empty() && !below->window.title.empty())
                    titled = below->window;
            }
            level = std::move(next);
        }
        return titled ? titled : self->window;
    }

    /// Nothing when the window has gone.
    std::optional<Look> look(xcb_window_t window) {
        const Reply state = property(window, wmState_);
        if (!state) return std::nullopt;
        const Reply owner = property(window, XCB_ATOM_WM_TRANSIENT_FOR);
        Look look;
        look.managed = state->type == wmState_ && length(state) > 0;
        look.window.handle = window;
        look.window.hasOwner = owner && owner->format == 32 && length(owner) > 0;
        look.window.title = title(window);
        return look;
    }

    std::string title(xcb_window_t window) {
        if (const Reply name = property(window, netWmName_);
            name && name->format == 8 && length(name) > 0)
            return bytes(name);
        const Reply name = property(window, XCB_ATOM_WM_NAME);
        if (!name || name->format != 8) return {};
        if (name->type != XCB_ATOM_STRING) return bytes(name);
        std::string utf8;  // STRING is ISO 8859-1
        for (const unsigned char c : bytes(name)) {
            if (c < 0x80) {
                utf8 += static_cast<char>(c);
            } else {
                utf8 += static_cast<char>(0xC0 | (c >> 6));
                utf8 += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return utf8;
    }

    Reply property(xcb_window_t window, xcb_atom_t atom) {
        return {xcb_get_property_reply(
                    x_.c(), xcb_get_property(x_.c(), 0, window, atom, XCB_ATOM_ANY, 0, 1 << 16),
                    nullptr),
                &std::free};
    }
    static int length(const Reply& reply) { return xcb_get_property_value_length(reply.get()); }
    static std::string bytes(const Reply& reply) {
        return {static_cast<const char*>(xcb_get_property_value(reply.get())),
                static_cast<std::size_t>(length(reply))};
    }

    std::vector<xcb_window_t> childrenTopFirst(xcb_window_t window) {
        const std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(x_.c(), xcb_query_tree(x_.c(), window), nullptr), &std::free);
        if (!tree) return {};
        const xcb_window_t* bottom = xcb_query_tree_children(tree.get());
        std::vector<xcb_window_t> children(bottom,
                                           bottom + xcb_query_tree_children_length(tree.get()));
        std::ranges::reverse(children);
        return children;
    }

    XcbTestClient& x_;
    xcb_window_t root_;
    xcb_atom_t wmState_;
    xcb_atom_t netWmName_;
};

}  // namespace vantrel::testing
