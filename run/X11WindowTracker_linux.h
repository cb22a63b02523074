#pragma once

// The desktop's top-level windows kept current from X events, so that asking
// for them again costs no request when nothing has changed.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "run/WindowList.h"
#include "run/XcbDesktop_linux.h"

namespace vantrel::xcb {

/// What the list promises, once the desktop is quiet: it equals a plain walk
/// of the tree. Each child of the root, from the top of the stacking order
/// down, stands for one window: itself when it has WM_STATE; else the topmost
/// window with WM_STATE at most two levels below it (a manager's client in its
/// frame); else, when it has no title, the topmost titled window that deep (a
/// client the manager is taking on); else itself. Each is listed with its
/// title (_NET_WM_NAME, else WM_NAME) and whether WM_TRANSIENT_FOR is set.
///
/// What holds inside between calls, checked by brokenInvariant():
///  1. the stacking order holds each known root child once, and nothing else;
///  2. a frame has one client, which is known to lie in it, and no search
///     below it; any other root child has no client;
///  3. every window known to lie in a root child is its client or a window
///     its search read;
///  4. nothing is left to read or walk;
///  5. the list handed out is what the root children stand for, in stacking
///     order, each window once.
class X11WindowTracker {
public:
    explicit X11WindowTracker(Desktop& desktop);

    /// Every top-level window, the top of the stacking order first, as the
    /// events received so far leave it; the first call walks the whole desktop.
    const std::vector<TopLevelWindow>& windows() { return snapshot()->windows(); }
    /// The same, shared: the same snapshot until the windows differ.
    const std::shared_ptr<const WindowSnapshot>& snapshot();

    /// Forgets what it knows and walks the whole desktop: the manager's
    /// clients and the root's other children, never the insides of frames
    /// that hold a listed client.
    void rebuild();

    /// How many full walks it has taken, the first one included.
    int rebuilds() const { return rebuilds_; }

    /// The first invariant above that does not hold, told for a test's
    /// message; empty when all hold.
    std::string brokenInvariant() const;

private:
    /// A root child, and what it stands for in the list.
    enum class Role {
        Plain,       // searched below as the list has always been
        ManagerOwn,  // the window manager's, holding no known client: searched as a plain one
        Frame,       // the manager's frame around `client`
    };
    struct Top {
        Role role = Role::Plain;
        xcb_window_t client = XCB_WINDOW_NONE;
        std::vector<xcb_window_t> below;  // watched windows beneath a plain top
        TopLevelWindow shown;             // handle 0: gone, not listed
    };

    /// Handles the events `next` gives; says whether there were any.
    bool drain(xcb_generic_event_t* (*next)(xcb_connection_t*));
    void handle(const xcb_generic_event_t& event);
    void onCreate(const xcb_create_notify_event_t& event);
    void onDestroy(const xcb_destroy_notify_event_t& event);
    void onReparent(const xcb_reparent_notify_event_t& event);
    void onConfigure(const xcb_configure_notify_event_t& event);
    void onCirculate(const xcb_circulate_notify_event_t& event);
    void onProperty(const xcb_property_notify_event_t& event);

    void update();
    void readClientList();
    void locateClients();
    void assignClient(xcb_window_t client, xcb_window_t top);
    void releaseClient(xcb_window_t window);
    void resolve();
    void resolvePlain(const std::vector<xcb_window_t>& tops,
                      const std::vector<WindowProperties>& topProperties);
    void collect();
    std::vector<TopLevelWindow> shownInStackingOrder() const;

    void addTop(xcb_window_t window);
    void removeTop(xcb_window_t window);
    void restack(xcb_window_t window, xcb_window_t above);
    void markDirty(xcb_window_t window);
    void forgetBelow(xcb_window_t topWindow);
    void forgetOwner(xcb_window_t window, xcb_window_t topWindow);
    Role roleOf(xcb_window_t window) const;
    bool isClient(xcb_window_t window) const;

    Desktop& desktop_;
    bool walked_ = false;
    bool rebuildNeeded_ = false;
    bool clientListChanged_ = false;
    bool changed_ = false;
    int rebuilds_ = 0;
    std::uint32_t walkStart_ = 0;  // sequence of the last full walk's first request
    xcb_window_t manager_ = XCB_WINDOW_NONE;
    std::vector<xcb_window_t> stack_;  // root children, bottom to top
    std::unordered_map<xcb_window_t, Top> tops_;
    std::unordered_map<xcb_window_t, xcb_window_t> topOf_;  // clients and watched windows
    std::unordered_set<xcb_window_t> listed_;               // the manager's client list
    std::unordered_set<xcb_window_t> dirty_;                // tops to read again
    std::vector<xcb_window_t> toLocate_;                    // windows perhaps now in a frame
    std::shared_ptr<const WindowSnapshot> snapshot_;
};

}  // namespace vantrel::xcb
