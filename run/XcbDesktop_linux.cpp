// The connection, the atoms and the pipelined reads of windows' properties
// and trees that every walk of the window list is made of.

#include "run/XcbDesktop_linux.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "settings/Utf8.h"

namespace vantrel::xcb {

namespace {

// A title may be 255 characters of up to four UTF-8 bytes, plus compound-text
// escapes; nothing past this bound can take part in the search.
constexpr std::uint32_t kTitleWords = 1024;

constexpr std::array<std::string_view, kAtomCount> kAtomNames = {
    "WM_STATE",       "_NET_WM_NAME",         "UTF8_STRING",        "COMPOUND_TEXT",
    "_NET_WM_STATE",  "_NET_WM_STATE_HIDDEN", "_NET_ACTIVE_WINDOW", "_NET_SUPPORTING_WM_CHECK",
    "_NET_SUPPORTED", "_NET_CLIENT_LIST",
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

std::string_view Bytes(const PropertyReply& reply) {
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

}  // namespace

Desktop::Desktop(const char* displayName) {
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
    const xcb_setup_t* setup = xcb_get_setup(c());
    resourceIdMask_ = setup->resource_id_mask;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0)
        throw std::runtime_error("The X display \"" + shownName + "\" has no screen " +
                                 std::to_string(screenNumber) + ".");
    root_ = screens.data->root;
    internAtoms();
}

void Desktop::internAtoms() {
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

void Desktop::checkConnection() const {
    if (const int error = xcb_connection_has_error(c()); error != 0)
        throw std::runtime_error(
            "The connection to the X display was lost: " + ConnectionErrorText(error) + ".");
}

xcb_get_property_cookie_t Desktop::requestProperty(xcb_window_t window, xcb_atom_t property,
                                                   std::uint32_t words) {
    return xcb_get_property(c(), 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, words);
}

PropertyReply Desktop::readProperty(xcb_get_property_cookie_t cookie, bool& gone) {
    xcb_generic_error_t* rawError = nullptr;
    PropertyReply reply(xcb_get_property_reply(c(), cookie, &rawError));
    const XcbPointer<xcb_generic_error_t> error(rawError);
    if (!reply) gone = true;
    return reply;
}

bool Desktop::IsSet(const PropertyReply& reply) {
    return reply && reply->type != XCB_ATOM_NONE && xcb_get_property_value_length(reply.get()) > 0;
}

std::vector<std::uint32_t> Desktop::Words(const PropertyReply& reply) {
    if (!IsSet(reply) || reply->format != 32) return {};
    const auto* first = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {first, first + xcb_get_property_value_length(reply.get()) / 4};
}

std::string Desktop::textProperty(const PropertyReply& reply) const {
    if (!IsSet(reply) || reply->format != 8) return {};
    const std::string_view bytes = Bytes(reply);
    if (reply->type == atoms_[kUtf8String]) return std::string(bytes);
    if (reply->type == atoms_[kCompoundText]) return CompoundTextToUtf8(bytes);
    std::string out;  // STRING is ISO 8859-1 by ICCCM
    AppendLatin1(out, bytes);
    return out;
}

std::vector<WindowProperties> Desktop::properties(const std::vector<xcb_window_t>& windows,
                                                  std::size_t wmStateFrom) {
    struct Cookies {
        std::optional<xcb_get_property_cookie_t> wmState;
        xcb_get_property_cookie_t netName, transientFor;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        cookies.push_back({i >= wmStateFrom
                               ? std::optional(requestProperty(windows[i], atoms_[kWmState], 2))
                               : std::nullopt,
                           requestProperty(windows[i], atoms_[kNetWmName], kTitleWords),
                           requestProperty(windows[i], XCB_ATOM_WM_TRANSIENT_FOR, 1)});
    }
    std::vector<WindowProperties> result(windows.size());
    // WM_NAME is asked for only where _NET_WM_NAME is missing: most windows set both.
    std::vector<std::pair<std::size_t, xcb_get_property_cookie_t>> legacyNames;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        WindowProperties& p = result[i];
        const PropertyReply wmState =
            cookies[i].wmState ? readProperty(*cookies[i].wmState, p.gone) : PropertyReply();
        const PropertyReply netName = readProperty(cookies[i].netName, p.gone);
        const PropertyReply transientFor = readProperty(cookies[i].transientFor, p.gone);
        if (p.gone) continue;
        p.hasWmState = IsSet(wmState) && wmState->type == atoms_[kWmState];
        p.owned = IsSet(transientFor) && transientFor->format == 32;
        if (IsSet(netName) && netName->format == 8)
            p.title = Bytes(netName);
        else
            legacyNames.emplace_back(i, requestProperty(windows[i], XCB_ATOM_WM_NAME, kTitleWords));
    }
    for (const auto& [i, cookie] : legacyNames) {
        const PropertyReply name = readProperty(cookie, result[i].gone);
        result[i].title = textProperty(name);
    }
    return result;
}

std::vector<std::vector<xcb_window_t>> Desktop::children(const std::vector<xcb_window_t>& windows) {
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

std::vector<xcb_window_t> Desktop::parents(const std::vector<xcb_window_t>& windows) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows) cookies.push_back(xcb_query_tree(c(), window));
    std::vector<xcb_window_t> result(windows.size(), XCB_WINDOW_NONE);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const XcbPointer<xcb_query_tree_reply_t> reply(
            xcb_query_tree_reply(c(), cookies[i], nullptr));
        if (reply) result[i] = reply->parent;
    }
    return result;
}

void Desktop::selectEvents(const std::vector<xcb_window_t>& windows, std::uint32_t mask) {
    for (const xcb_window_t window : windows)
        xcb_change_window_attributes(c(), window, XCB_CW_EVENT_MASK, &mask);
}

xcb_window_t Desktop::runningManager() {
    bool gone = false;
    const std::vector<std::uint32_t> check =
        Words(readProperty(requestProperty(root_, atoms_[kNetSupportingWmCheck], 1), gone));
    if (check.empty()) return XCB_WINDOW_NONE;
    const std::vector<std::uint32_t> confirmed =
        Words(readProperty(requestProperty(check[0], atoms_[kNetSupportingWmCheck], 1), gone));
    return !confirmed.empty() && confirmed[0] == check[0] ? check[0]
                                                          : xcb_window_t{XCB_WINDOW_NONE};
}

}  // namespace vantrel::xcb
