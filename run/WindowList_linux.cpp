// The window list over XCB: the root window's children in stacking order, each
// resolved to the client window a reparenting window manager keeps inside its frame.

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "run/WindowList.h"
#include "settings/Utf8.h"

namespace vantrel {

namespace {

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

// A title may be 255 characters of up to four UTF-8 bytes, plus compound-text
// escapes; nothing past this bound can take part in the search.
constexpr std::uint32_t kTitleWords = 1024;
constexpr std::uint32_t kAtomListWords = 1024;
// Frames of a reparenting window manager hold the client this deep at most.
constexpr int kClientSearchDepth = 2;

constexpr std::uint32_t kSourcePager = 2;  // _NET_ACTIVE_WINDOW source indication

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
    kAtomCount
};

constexpr std::array<std::string_view, kAtomCount> kAtomNames = {
    "WM_STATE",       "_NET_WM_NAME",         "UTF8_STRING",        "COMPOUND_TEXT",
    "_NET_WM_STATE",  "_NET_WM_STATE_HIDDEN", "_NET_ACTIVE_WINDOW", "_NET_SUPPORTING_WM_CHECK",
    "_NET_SUPPORTED",
};

std::string ConnectionErrorText(int error) {
    switch (error) {
        case XCB_CONN_ERROR:
            return "the connection failed (socket, pipe or stream error)";
        case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
            return "an extension is not supported";
        case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
            return "out of memory";
        case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
            return "a request was too long";
        case XCB_CONN_CLOSED_PARSE_ERR:
            return "the display name could not be parsed";
        case XCB_CONN_CLOSED_INVALID_SCREEN:
            return "the display has no such screen";
        default:
            return "error " + std::to_string(error);
    }
}

void AppendLatin1(std::string& out, std::string_view bytes) {
    for (const char byte : bytes) utf8::Append(out, static_cast<unsigned char>(byte));
}

/// COMPOUND_TEXT (ISO 2022) as UTF-8: ISO 8859-1 unless escapes say otherwise;
/// UTF-8 segments are kept, characters of other character sets become U+FFFD.
std::string CompoundTextToUtf8(std::string_view text) {
    constexpr char kEscape = '\x1B';
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    bool leftIsAscii = true;
    bool rightIsLatin1 = true;
    bool inUtf8 = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == kEscape) {
            std::size_t end = pos + 1;
            while (end < text.size() && text[end] >= 0x20 && text[end] <= 0x2F) ++end;
            if (end >= text.size()) break;
            const std::string_view sequence = text.substr(pos + 1, end - pos);
            pos = end + 1;
            if (sequence == "%G") {
                inUtf8 = true;
            } else if (sequence == "%@") {
                inUtf8 = false;
            } else if (sequence == "(B") {
                leftIsAscii = true;
            } else if (sequence == "-A") {
                rightIsLatin1 = true;
            } else if (sequence[0] == '(' || sequence.starts_with("$(") || sequence == "$A" ||
                       sequence == "$B") {
                leftIsAscii = false;
            } else if (sequence[0] == ')' || sequence[0] == '-' || sequence.starts_with("$)") ||
                       sequence.starts_with("$-")) {
                rightIsLatin1 = false;
            }
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (inUtf8) {
            utf8::Append(out, utf8::Next(text, pos));
            continue;
        }
        ++pos;
        const bool graphic = (byte & 0x7F) >= 0x20 && (byte & 0x7F) != 0x7F;
        const bool known = byte < 0x80 ? leftIsAscii : rightIsLatin1;
        utf8::Append(out, !graphic || known ? char32_t{byte} : kReplacement);
    }
    return out;
}

class XcbWindowList final : public WindowList {
public:
    explicit XcbWindowList(const char* displayName) {
        int screenNumber = 0;
        connection_.reset(xcb_connect(displayName, &screenNumber));
        const char* name = displayName != nullptr ? displayName : std::getenv("DISPLAY");
        const std::string shownName = name != nullptr ? name : "";
        if (const int error = xcb_connection_has_error(connection_.get()); error != 0) {
            if (name == nullptr || *name == '\0')
                throw std::runtime_error("Cannot open the X display: DISPLAY is not set.");
            throw std::runtime_error("Cannot open the X display \"" + shownName +
                                     "\": " + ConnectionErrorText(error) + ".");
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c()));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
        if (screens.rem == 0)
            throw std::runtime_error("The X display \"" + shownName + "\" has no screen " +
                                     std::to_string(screenNumber) + ".");
        root_ = screens.data->root;
        internAtoms();
    }

    std::vector<TopLevelWindow> topLevelWindows() override {
        discardEvents();
        std::vector<TopLevelWindow> result;
        const std::vector<xcb_window_t> tops = topToBottom(children({root_}).front());
        const std::vector<Properties> topProperties = properties(tops);
        std::vector<xcb_window_t> clients = findClients(tops, topProperties);

        std::vector<xcb_window_t> framed;
        for (std::size_t i = 0; i < tops.size(); ++i)
            if (clients[i] != XCB_WINDOW_NONE && clients[i] != tops[i])
                framed.push_back(clients[i]);
        const std::vector<Properties> framedProperties = properties(framed);
        checkConnection();

        std::size_t nextFramed = 0;
        for (std::size_t i = 0; i < tops.size(); ++i) {
            const bool isFramed = clients[i] != XCB_WINDOW_NONE && clients[i] != tops[i];
            const Properties& own = isFramed ? framedProperties[nextFramed++] : topProperties[i];
            if (own.gone) continue;
            result.push_back({isFramed ? clients[i] : tops[i], own.owned, own.title});
        }
        return result;
    }

    bool isMinimized(WindowHandle window) override {
        discardEvents();
        const WindowState state = windowState(static_cast<xcb_window_t>(window));
        return state.iconic || state.hidden;
    }

    void restore(WindowHandle handle) override {
        discardEvents();
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
                xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window, atoms_[kWmState],
                                    atoms_[kWmState], 32, normal.size(), normal.data());
            }
            if (state.hidden) {
                std::vector<xcb_atom_t> kept;
                std::ranges::copy_if(state.netStates, std::back_inserter(kept),
                                     [&](xcb_atom_t a) { return a != atoms_[kNetWmStateHidden]; });
                xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window, atoms_[kNetWmState],
                                    XCB_ATOM_ATOM, 32, kept.size(), kept.data());
            }
        }
        sync();
    }

    void bringToFront(WindowHandle handle) override {
        discardEvents();
        const auto window = static_cast<xcb_window_t>(handle);
        if (windowManagerActivates()) {
            sendActiveWindowMessage(window);
        } else {
            raise(window);
            const XcbPointer<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(c(), xcb_get_window_attributes(c(), window),
                                                nullptr));
            // Focus may only go to a viewable window; anything else is a BadMatch.
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
                xcb_set_input_focus(c(), XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
        }
        sync();
    }

private:
    struct Properties {
        bool gone = false;
        bool owned = false;
        bool hasWmState = false;
        std::string title;
    };

    struct WindowState {
        bool hasWmState = false;
        bool iconic = false;
        bool hidden = false;
        std::vector<xcb_atom_t> netStates;
    };

    using PropertyReply = XcbPointer<xcb_get_property_reply_t>;

    xcb_connection_t* c() const { return connection_.get(); }

    void internAtoms() {
        std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
        for (std::size_t i = 0; i < kAtomCount; ++i)
            cookies[i] = xcb_intern_atom(c(), 0, kAtomNames[i].size(), kAtomNames[i].data());
        for (std::size_t i = 0; i < kAtomCount; ++i) {
            const XcbPointer<xcb_intern_atom_reply_t> reply(
                xcb_intern_atom_reply(c(), cookies[i], nullptr));
            atoms_[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        }
        checkConnection();
    }

    void checkConnection() const {
        if (const int error = xcb_connection_has_error(c()); error != 0)
            throw std::runtime_error(
                "The connection to the X display was lost: " + ConnectionErrorText(error) + ".");
    }

    /// Errors of requests without replies arrive as events; nothing else is
    /// selected, but the queue must not grow while Vantrel runs for hours.
    void discardEvents() {
        while (XcbPointer<xcb_generic_event_t>(xcb_poll_for_event(c()))) {
        }
        checkConnection();
    }

    /// A round trip: the server has handled every request sent before.
    void sync() {
        XcbPointer<xcb_get_input_focus_reply_t>(
            xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
        discardEvents();
    }

    static std::vector<xcb_window_t> topToBottom(std::vector<xcb_window_t> bottomToTop) {
        std::ranges::reverse(bottomToTop);
        return bottomToTop;
    }

    /// The children of each window, bottom to top as the server stacks them;
    /// empty for a window that has gone.
    std::vector<std::vector<xcb_window_t>> children(const std::vector<xcb_window_t>& windows) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(windows.size());
        for (const xcb_window_t window : windows) cookies.push_back(xcb_query_tree(c(), window));
        std::vector<std::vector<xcb_window_t>> result(windows.size());
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const XcbPointer<xcb_query_tree_reply_t> reply(
                xcb_query_tree_reply(c(), cookies[i], nullptr));
            if (!reply) continue;
            const xcb_window_t* first = xcb_query_tree_children(reply.get());
            result[i].assign(first, first + xcb_query_tree_children_length(reply.get()));
        }
        return result;
    }

    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property,
                                              std::uint32_t words) {
        return xcb_get_property(c(), 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, words);
    }

    /// The reply, or nothing when the window has gone (or the connection broke).
    PropertyReply readProperty(xcb_get_property_cookie_t cookie, bool& gone) {
        xcb_generic_error_t* rawError = nullptr;
        PropertyReply reply(xcb_get_property_reply(c(), cookie, &rawError));
        const XcbPointer<xcb_generic_error_t> error(rawError);
        if (!reply) gone = true;
        return reply;
    }

    static bool IsSet(const PropertyReply& reply) {
        return reply && reply->type != XCB_ATOM_NONE &&
               xcb_get_property_value_length(reply.get()) > 0;
    }

    static std::string_view Bytes(const PropertyReply& reply) {
        return {static_cast<const char*>(xcb_get_property_value(reply.get())),
                static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
    }

    static std::vector<std::uint32_t> Words(const PropertyReply& reply) {
        if (!IsSet(reply) || reply->format != 32) return {};
        const auto* first = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return {first, first + xcb_get_property_value_length(reply.get()) / 4};
    }

    std::string textProperty(const PropertyReply& reply) const {
        if (!IsSet(reply) || reply->format != 8) return {};
        const std::string_view bytes = Bytes(reply);
        if (reply->type == atoms_[kUtf8String]) return std::string(bytes);
        if (reply->type == atoms_[kCompoundText]) return CompoundTextToUtf8(bytes);
        std::string out;  // STRING is ISO 8859-1 by ICCCM
        AppendLatin1(out, bytes);
        return out;
    }

    /// Title, owner and WM_STATE of every window, one request of each kind per
    /// window sent before the first reply is read.
    std::vector<Properties> properties(const std::vector<xcb_window_t>& windows) {
        struct Cookies {
            xcb_get_property_cookie_t wmState, netName, name, transientFor;
        };
        std::vector<Cookies> cookies;
        cookies.reserve(windows.size());
        for (const xcb_window_t window : windows) {
            cookies.push_back({requestProperty(window, atoms_[kWmState], 2),
                               requestProperty(window, atoms_[kNetWmName], kTitleWords),
                               requestProperty(window, XCB_ATOM_WM_NAME, kTitleWords),
                               requestProperty(window, XCB_ATOM_WM_TRANSIENT_FOR, 1)});
        }
        std::vector<Properties> result(windows.size());
        for (std::size_t i = 0; i < windows.size(); ++i) {
            Properties& p = result[i];
            const PropertyReply wmState = readProperty(cookies[i].wmState, p.gone);
            const PropertyReply netName = readProperty(cookies[i].netName, p.gone);
            const PropertyReply name = readProperty(cookies[i].name, p.gone);
            const PropertyReply transientFor = readProperty(cookies[i].transientFor, p.gone);
            if (p.gone) continue;
            p.hasWmState = IsSet(wmState) && wmState->type == atoms_[kWmState];
            p.owned = IsSet(transientFor) && transientFor->format == 32;
            p.title = IsSet(netName) && netName->format == 8 ? std::string(Bytes(netName))
                                                             : textProperty(name);
        }
        return result;
    }

    /// For each top-level window the client window it stands for: itself when it
    /// carries WM_STATE, else the topmost descendant with WM_STATE within the
    /// search depth, else itself (no window manager manages it); none when gone.
    /// An untitled frame whose client has no WM_STATE yet (the window manager
    /// is still taking it on) stands for its topmost titled descendant, so a
    /// script's window never drops out of the count for a moment.
    std::vector<xcb_window_t> findClients(const std::vector<xcb_window_t>& tops,
                                          const std::vector<Properties>& topProperties) {
        std::vector<xcb_window_t> clients(tops.size(), XCB_WINDOW_NONE);
        // (index of the top-level window, window whose children are searched)
        std::vector<std::pair<std::size_t, xcb_window_t>> searched;
        for (std::size_t i = 0; i < tops.size(); ++i) {
            if (topProperties[i].gone) continue;
            clients[i] = tops[i];
            if (!topProperties[i].hasWmState) searched.emplace_back(i, tops[i]);
        }
        std::vector<bool> found(tops.size(), false);
        std::vector<xcb_window_t> titled(tops.size(), XCB_WINDOW_NONE);
        for (int depth = 0; depth < kClientSearchDepth && !searched.empty(); ++depth) {
            std::vector<xcb_window_t> parents;
            for (const auto& entry : searched) parents.push_back(entry.second);
            const std::vector<std::vector<xcb_window_t>> kids = children(parents);

            std::vector<std::pair<std::size_t, xcb_window_t>> next;
            for (std::size_t j = 0; j < searched.size(); ++j)
                for (const xcb_window_t kid : topToBottom(kids[j]))
                    next.emplace_back(searched[j].first, kid);
            std::vector<xcb_window_t> candidates;
            for (const auto& entry : next) candidates.push_back(entry.second);
            const std::vector<Properties> candidateProperties = properties(candidates);

            for (std::size_t j = 0; j < next.size(); ++j) {
                const std::size_t top = next[j].first;
                const Properties& candidate = candidateProperties[j];
                if (candidate.hasWmState && !found[top]) {
                    found[top] = true;
                    clients[top] = next[j].second;
                } else if (!candidate.title.empty() && !topProperties[top].hasWmState &&
                           topProperties[top].title.empty() && !titled[top]) {
                    titled[top] = next[j].second;
                }
            }
            std::erase_if(next, [&](const auto& entry) { return found[entry.first]; });
            searched = std::move(next);
        }
        for (std::size_t i = 0; i < tops.size(); ++i)
            if (!found[i] && titled[i] != XCB_WINDOW_NONE) clients[i] = titled[i];
        return clients;
    }

    WindowState windowState(xcb_window_t window) {
        const xcb_get_property_cookie_t wmCookie = requestProperty(window, atoms_[kWmState], 2);
        const xcb_get_property_cookie_t netCookie =
            requestProperty(window, atoms_[kNetWmState], kAtomListWords);
        bool gone = false;
        const PropertyReply wmState = readProperty(wmCookie, gone);
        const PropertyReply netState = readProperty(netCookie, gone);
        WindowState state;
        if (gone) return state;
        const std::vector<std::uint32_t> wmWords = Words(wmState);
        state.hasWmState = !wmWords.empty() && wmState->type == atoms_[kWmState];
        state.iconic = state.hasWmState && wmWords[0] == XCB_ICCCM_WM_STATE_ICONIC;
        state.netStates = Words(netState);
        state.hidden =
            std::ranges::find(state.netStates, atoms_[kNetWmStateHidden]) != state.netStates.end();
        return state;
    }

    /// Whether a window manager runs that activates windows on request: its
    /// check window exists and names itself, and it lists _NET_ACTIVE_WINDOW.
    bool windowManagerActivates() {
        const auto checkCookie = requestProperty(root_, atoms_[kNetSupportingWmCheck], 1);
        const auto supportedCookie = requestProperty(root_, atoms_[kNetSupported], kAtomListWords);
        bool gone = false;
        const PropertyReply check = readProperty(checkCookie, gone);
        const std::vector<std::uint32_t> supported = Words(readProperty(supportedCookie, gone));
        const std::vector<std::uint32_t> checkWindow = Words(check);
        if (checkWindow.empty() ||
            std::ranges::find(supported, atoms_[kNetActiveWindow]) == supported.end())
            return false;
        // A window manager that has gone may leave the root's property behind.
        const std::vector<std::uint32_t> confirmed = Words(
            readProperty(requestProperty(checkWindow[0], atoms_[kNetSupportingWmCheck], 1), gone));
        return !confirmed.empty() && confirmed[0] == checkWindow[0];
    }

    void sendActiveWindowMessage(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atoms_[kNetActiveWindow];
        event.data.data32[0] = kSourcePager;
        event.data.data32[1] = XCB_CURRENT_TIME;
        event.data.data32[2] = XCB_WINDOW_NONE;
        static_assert(sizeof event == 32, "X events are 32 bytes long");
        xcb_send_event(c(), 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }

    void raise(xcb_window_t window) {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }

    Connection connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    std::array<xcb_atom_t, kAtomCount> atoms_{};
};

}  // namespace

std::unique_ptr<WindowList> OpenDesktopWindowList() {
    return std::make_unique<XcbWindowList>(nullptr);
}

}  // namespace vantrel
