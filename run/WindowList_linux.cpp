// The window list over XCB: the desktop's top-level windows kept current from X
// events, each frame of a reparenting window manager standing for its client.

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cstdlib>
#include <array>
#include <iterator>
#include <string>
#include <vector>

#include "run/WindowList.h"
#include "run/X11WindowTracker_linux.h"
#include "run/XcbDesktop_linux.h"

namespace vantrel {

namespace {

using xcb::PropertyReply;

constexpr std::uint32_t kAtomListWords = 1024;
constexpr std::uint32_t kSourcePager = 2;  // _NET_ACTIVE_WINDOW source indication

class XcbWindowList final : public WindowList {
public:
    explicit XcbWindowList(const char* displayName) : desktop_(displayName) {
        // The first full walk now: a window the manager is taking on at the
        // moment of a walk may show as its bare frame, while one that comes
        // later is followed through its events.
        tracker_.windows();
    }

    std::vector<TopLevelWindow> topLevelWindows() override { return tracker_.windows(); }

    bool isMinimized(WindowHandle window) override {
        const WindowState state = windowState(static_cast<xcb_window_t>(window));
        return state.iconic || state.hidden;
    }

    void restore(WindowHandle handle) override {
        const auto window = static_cast<xcb_window_t>(handle);
        if (windowManagerActivates()) {
            // ICCCM 4.1.4: a client leaves the Iconic state by mapping its window;
            // the window manager gets the request and shows the window again.
            xcb_map_window(c(), window);
            sendActiveWindowMessage(window);
        } else {
            const WindowState state = windowState(window);
            xcb_map_window(c(), window);
            raise(window);
            if (state.hasWmState) {
                const std::array<std::uint32_t, 2> normal = {XCB_ICCCM_WM_STATE_NORMAL,
                                                             XCB_WINDOW_NONE};
                xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window,
                                    desktop_.atom(xcb::kWmState), desktop_.atom(xcb::kWmState), 32,
                                    normal.size(), normal.data());
            }
            if (state.hidden) {
                std::vector<xcb_atom_t> kept;
                std::ranges::copy_if(state.netStates, std::back_inserter(kept), [&](xcb_atom_t a) {
                    return a != desktop_.atom(xcb::kNetWmStateHidden);
                });
                xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window,
                                    desktop_.atom(xcb::kNetWmState), XCB_ATOM_ATOM, 32, kept.size(),
                                    kept.data());
            }
        }
        sync();
    }

    void bringToFront(WindowHandle handle) override {
        const auto window = static_cast<xcb_window_t>(handle);
        if (windowManagerActivates()) {
            sendActiveWindowMessage(window);
        } else {
            raise(window);
            const xcb::XcbPointer<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(c(), xcb_get_window_attributes(c(), window),
                                                nullptr));
            // Focus may only go to a viewable window; anything else is a BadMatch.
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
                xcb_set_input_focus(c(), XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
        }
        sync();
    }

private:
    struct WindowState {
        bool hasWmState = false;
        bool iconic = false;
        bool hidden = false;
        std::vector<xcb_atom_t> netStates;
    };

    xcb_connection_t* c() const { return desktop_.c(); }

    /// A round trip: the server has handled every request sent before. Events
    /// stay queued for the window list.
    void sync() {
        xcb::XcbPointer<xcb_get_input_focus_reply_t>(
            xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
        desktop_.checkConnection();
    }

    WindowState windowState(xcb_window_t window) {
        const xcb_get_property_cookie_t wmCookie =
            desktop_.requestProperty(window, desktop_.atom(xcb::kWmState), 2);
        const xcb_get_property_cookie_t netCookie =
            desktop_.requestProperty(window, desktop_.atom(xcb::kNetWmState), kAtomListWords);
        bool gone = false;
        const PropertyReply wmState = desktop_.readProperty(wmCookie, gone);
        const PropertyReply netState = desktop_.readProperty(netCookie, gone);
        WindowState state;
        if (gone) return state;
        const std::vector<std::uint32_t> wmWords = xcb::Desktop::Words(wmState);
        state.hasWmState = !wmWords.empty() && wmState->type == desktop_.atom(xcb::kWmState);
        state.iconic = state.hasWmState && wmWords[0] == XCB_ICCCM_WM_STATE_ICONIC;
        state.netStates = xcb::Desktop::Words(netState);
        state.hidden = std::ranges::find(state.netStates, desktop_.atom(xcb::kNetWmStateHidden)) !=
                       state.netStates.end();
        return state;
    }

    /// Whether a window manager runs that activates windows on request: its
    /// check window names itself, and it lists _NET_ACTIVE_WINDOW.
    bool windowManagerActivates() {
        if (desktop_.runningManager() == XCB_WINDOW_NONE) return false;
        bool gone = false;
        const std::vector<std::uint32_t> supported = xcb::Desktop::Words(desktop_.readProperty(
            desktop_.requestProperty(desktop_.root(), desktop_.atom(xcb::kNetSupported),
                                     kAtomListWords),
            gone));
        return std::ranges::find(supported, desktop_.atom(xcb::kNetActiveWindow)) !=
               supported.end();
    }

    void sendActiveWindowMessage(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = desktop_.atom(xcb::kNetActiveWindow);
        event.data.data32[0] = kSourcePager;
        event.data.data32[1] = XCB_CURRENT_TIME;
        event.data.data32[2] = XCB_WINDOW_NONE;
        static_assert(sizeof event == 32, "X events are 32 bytes long");
        xcb_send_event(c(), 0, desktop_.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }

    void raise(xcb_window_t window) {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }

    xcb::Desktop desktop_;
    xcb::X11WindowTracker tracker_{desktop_};
};

}  // namespace

std::optional<std::string> DesktopUnreachable() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return std::string("no X display to open the window on: DISPLAY is not set");
    const xcb::Connection connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get()))
        return "the X display " + std::string(display) + " (DISPLAY) cannot be opened";
    return std::nullopt;
}

std::unique_ptr<WindowList> OpenDesktopWindowList() {
    return std::make_unique<XcbWindowList>(nullptr);
}

}  // namespace vantrel
