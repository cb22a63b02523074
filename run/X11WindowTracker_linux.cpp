// The window list kept from the root's structure events and the property events
// of the windows that make it up. A root child stands for the manager's client
// inside it when it is a frame holding a listed client, and else for what a
// search two levels below it finds, as the list has always been made.
// Wherever the events cannot be followed it walks the desktop afresh.

#include "run/X11WindowTracker_linux.h"

#include <algorithm>
#include <sstream>

namespace vantrel::xcb {

namespace {

constexpr std::uint32_t kRootMask =
    XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
// A plain top and the windows searched below it: their children and properties.
constexpr std::uint32_t kTreeMask =
    XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
// A client in a frame: where it goes and its properties, never the frame's insides.
constexpr std::uint32_t kClientMask =
    XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
// A frame holding its client: the root tells where it goes, the client the rest.
constexpr std::uint32_t kFrameMask = XCB_EVENT_MASK_NO_EVENT;
// The manager's check window: its end is the manager's.
constexpr std::uint32_t kManagerCheckMask = kTreeMask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

constexpr std::uint32_t kClientListWords = 1 << 16;
// Frames of a reparenting window manager hold the client this deep at most.
constexpr int kClientSearchDepth = 2;
// More events than this in one call is a burst best answered by a fresh walk.
constexpr std::size_t kEventsBeforeRebuild = 10000;
// Reading the events that came in with the answers, and answering them, ends
// after so many rounds on a desktop that never rests; the rest waits for the next call.
constexpr int kCatchUpRounds = 8;

constexpr std::uint8_t kErrorResponse = 0;
constexpr std::uint8_t kSentEventFlag = 0x80;

bool SentBefore(std::uint32_t sequence, std::uint32_t mark) {
    return static_cast<std::int32_t>(sequence - mark) < 0;
}

std::vector<xcb_window_t> TopToBottom(std::vector<xcb_window_t> bottomToTop) {
    std::ranges::reverse(bottomToTop);
    return bottomToTop;
}

TopLevelWindow Shown(xcb_window_t window, const WindowProperties& properties) {
    if (properties.gone) return {};
    return {window, properties.owned, properties.title};
}

std::string Hex(xcb_window_t window) {
    std::ostringstream out;
    out << "0x" << std::hex << window;
    return out.str();
}

}  // namespace

X11WindowTracker::X11WindowTracker(Desktop& desktop)
    : desktop_(desktop),
      snapshot_(std::make_shared<const WindowSnapshot>(std::vector<TopLevelWindow>())) {}

const std::shared_ptr<const WindowSnapshot>& X11WindowTracker::snapshot() {
    if (walked_) {
        drain(xcb_poll_for_event);
        update();
    } else {
        rebuild();
    }
    // An answer is newer than the events read before it was asked for, and
    // the events sent meanwhile came in with it (a window the answer names as
    // its parent was created, one it no longer finds has moved): they are read
    // before the list is handed out, so it shows the desktop as of the last answer.
    for (int round = 1; round < kCatchUpRounds && drain(xcb_poll_for_queued_event); ++round)
        update();
    if (changed_) collect();
    return snapshot_;
}

void X11WindowTracker::rebuild() {
    // Once only: the server answers a change of the root's event mask by
    // visiting every window on the desktop, decorations and all.
    if (!walked_) desktop_.selectEvents({desktop_.root()}, kRootMask);
    walked_ = true;
    ++rebuilds_;
    rebuildNeeded_ = false;
    clientListChanged_ = false;
    stack_.clear();
    tops_.clear();
    topOf_.clear();
    listed_.clear();
    dirty_.clear();
    toLocate_.clear();

    xcb_connection_t* c = desktop_.c();
    // Whatever happened before this request shows in the walk itself.
    walkStart_ = xcb_no_operation(c).sequence;
    manager_ = desktop_.runningManager();
    if (manager_ != XCB_WINDOW_NONE) desktop_.selectEvents({manager_}, kManagerCheckMask);

    const xcb_query_tree_cookie_t treeCookie = xcb_query_tree(c, desktop_.root());
    const xcb_get_property_cookie_t listCookie =
        desktop_.requestProperty(desktop_.root(), desktop_.atom(kNetClientList), kClientListWords);
    const XcbPointer<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, treeCookie, nullptr));
    bool gone = false;
    const std::vector<std::uint32_t> clients =
        Desktop::Words(desktop_.readProperty(listCookie, gone));
    desktop_.checkConnection();
    if (tree) {
        const xcb_window_t* first = xcb_query_tree_children(tree.get());
        stack_.assign(first, first + xcb_query_tree_children_length(tree.get()));
    }
    for (const xcb_window_t window : stack_) {
        tops_[window].role = roleOf(window);
        dirty_.insert(window);
    }
    if (manager_ != XCB_WINDOW_NONE) {
        listed_.insert(clients.begin(), clients.end());
        toLocate_.assign(clients.begin(), clients.end());
    }
    locateClients();
    resolve();
    changed_ = true;
}

bool X11WindowTracker::drain(xcb_generic_event_t* (*next)(xcb_connection_t*)) {
    std::size_t handled = 0;
    while (const XcbPointer<xcb_generic_event_t> event{next(desktop_.c())}) {
        if (rebuildNeeded_ || SentBefore(event->full_sequence, walkStart_)) continue;
        if (++handled > kEventsBeforeRebuild) {
            rebuildNeeded_ = true;
            continue;
        }
        handle(*event);
    }
    desktop_.checkConnection();
    return handled > 0;
}

void X11WindowTracker::handle(const xcb_generic_event_t& event) {
    // Events other clients send (a manager's made-up configure notices) say nothing of the tree.
    if (event.response_type & kSentEventFlag) return;
    switch (event.response_type) {
        case kErrorResponse:
            // Its events were asked for once a window had gone; its parent's,
            // asked for before the window was found, tell of its end.
            break;
        case XCB_CREATE_NOTIFY:
            onCreate(reinterpret_cast<const xcb_create_notify_event_t&>(event));
            break;
        case XCB_DESTROY_NOTIFY:
            onDestroy(reinterpret_cast<const xcb_destroy_notify_event_t&>(event));
            break;
        case XCB_REPARENT_NOTIFY:
            onReparent(reinterpret_cast<const xcb_reparent_notify_event_t&>(event));
            break;
        case XCB_CONFIGURE_NOTIFY:
            onConfigure(reinterpret_cast<const xcb_configure_notify_event_t&>(event));
            break;
        case XCB_CIRCULATE_NOTIFY:
            onCirculate(reinterpret_cast<const xcb_circulate_notify_event_t&>(event));
            break;
        case XCB_PROPERTY_NOTIFY:
            onProperty(reinterpret_cast<const xcb_property_notify_event_t&>(event));
            break;
        default:  // mapping changes nothing: unmapped windows are listed too
            break;
    }
}

void X11WindowTracker::onCreate(const xcb_create_notify_event_t& event) {
    if (event.parent == desktop_.root())
        addTop(event.window);
    else
        markDirty(event.parent);
}

void X11WindowTracker::onDestroy(const xcb_destroy_notify_event_t& event) {
    if (event.window == manager_) {
        rebuildNeeded_ = true;
    } else if (event.event == desktop_.root()) {
        removeTop(event.window);
    } else if (event.event == event.window) {
        releaseClient(event.window);
    } else {
        markDirty(event.event);
    }
}

void X11WindowTracker::onReparent(const xcb_reparent_notify_event_t& event) {
    if (event.event == desktop_.root()) {
        if (event.parent == desktop_.root()) {
            releaseClient(event.window);
            removeTop(
                event.window);  // a reparented window is stacked on top, even on the same parent
            addTop(event.window);
        } else if (tops_.contains(event.window)) {
            removeTop(event.window);
            toLocate_.push_back(event.window);  // perhaps into a frame
        }
    } else if (event.event == event.window) {
        // A client moved; its arrival on the root is the root's to tell.
        if (event.parent == desktop_.root()) return;
        releaseClient(event.window);
        toLocate_.push_back(event.window);
    } else {
        markDirty(event.event);
    }
}

void X11WindowTracker::onConfigure(const xcb_configure_notify_event_t& event) {
    if (event.event == desktop_.root())
        restack(event.window, event.above_sibling);
    else if (event.event != event.window)  // a child moved among its siblings, perhaps
        markDirty(event.event);
}

void X11WindowTracker::onCirculate(const xcb_circulate_notify_event_t& event) {
    if (event.event != desktop_.root()) return markDirty(event.event);
    if (!tops_.contains(event.window)) {
        rebuildNeeded_ = true;
        return;
    }
    std::erase(stack_, event.window);
    if (event.place == XCB_PLACE_ON_TOP)
        stack_.push_back(event.window);
    else
        stack_.insert(stack_.begin(), event.window);
    changed_ = true;
}

void X11WindowTracker::onProperty(const xcb_property_notify_event_t& event) {
    if (event.window == desktop_.root()) {
        if (event.atom == desktop_.atom(kNetSupportingWmCheck)) rebuildNeeded_ = true;
        if (event.atom == desktop_.atom(kNetClientList)) clientListChanged_ = true;
        return;
    }
    const bool listed = event.atom == desktop_.atom(kWmState) ||
                        event.atom == desktop_.atom(kNetWmName) || event.atom == XCB_ATOM_WM_NAME ||
                        event.atom == XCB_ATOM_WM_TRANSIENT_FOR;
    if (listed) markDirty(event.window);
}

void X11WindowTracker::update() {
    if (rebuildNeeded_) return rebuild();
    if (clientListChanged_) readClientList();
    locateClients();
    resolve();
}

void X11WindowTracker::readClientList() {
    clientListChanged_ = false;
    if (manager_ == XCB_WINDOW_NONE) return;
    bool gone = false;
    const std::vector<std::uint32_t> words = Desktop::Words(desktop_.readProperty(
        desktop_.requestProperty(desktop_.root(), desktop_.atom(kNetClientList), kClientListWords),
        gone));
    const std::unordered_set<xcb_window_t> now(words.begin(), words.end());
    for (const xcb_window_t client : listed_)
        if (!now.contains(client) && isClient(client)) releaseClient(client);
    for (const xcb_window_t client : now)
        if (!listed_.contains(client) && !isClient(client)) toLocate_.push_back(client);
    listed_ = now;
}

/// Finds the root child each window to locate lies in, at most two levels
/// down, by asking for parents rather than walking down through frames.
void X11WindowTracker::locateClients() {
    if (toLocate_.empty()) return;
    const std::vector<xcb_window_t> windows = std::move(toLocate_);
    toLocate_.clear();
    // Asked for before its parent, so a move after the answer is told.
    desktop_.selectEvents(windows, kClientMask);
    std::vector<xcb_window_t> searched = windows;
    std::vector<std::size_t> indexes(windows.size());
    for (std::size_t i = 0; i < indexes.size(); ++i) indexes[i] = i;
    for (int depth = 0; depth < kClientSearchDepth && !searched.empty(); ++depth) {
        const std::vector<xcb_window_t> parents = desktop_.parents(searched);
        std::vector<xcb_window_t> next;
        std::vector<std::size_t> nextIndexes;
        for (std::size_t j = 0; j < parents.size(); ++j) {
            const xcb_window_t parent = parents[j];
            if (parent == XCB_WINDOW_NONE || parent == desktop_.root()) continue;
            if (tops_.contains(parent)) {
                assignClient(windows[indexes[j]], parent);
            } else {
                next.push_back(parent);
                nextIndexes.push_back(indexes[j]);
            }
        }
        searched = std::move(next);
        indexes = std::move(nextIndexes);
    }
}

void X11WindowTracker::assignClient(xcb_window_t client, xcb_window_t topWindow) {
    Top& top = tops_.at(topWindow);
    markDirty(topWindow);
    // A frame holds one client, and a window the manager does not list yet
    // only when it is an empty frame of the manager's (it is taking the window
    // on); what lies below a plain top is the search's to find.
    if (top.role == Role::Frame || (top.role == Role::Plain && !listed_.contains(client))) return;
    forgetBelow(topWindow);
    top.role = Role::Frame;
    top.client = client;
    topOf_[client] = topWindow;
    desktop_.selectEvents({topWindow}, kFrameMask);
}

/// The window is no longer where it was known to be: a frame it was the client
/// of stands for itself again, a plain top it lay below is searched again.
void X11WindowTracker::releaseClient(xcb_window_t window) {
    const auto found = topOf_.find(window);
    if (found == topOf_.end()) return;
    const xcb_window_t topWindow = found->second;
    topOf_.erase(found);
    Top& top = tops_.at(topWindow);
    if (top.client == window) {
        top.client = XCB_WINDOW_NONE;
        top.role = roleOf(topWindow);
    }
    dirty_.insert(topWindow);
}

void X11WindowTracker::resolve() {
    if (dirty_.empty()) return;
    changed_ = true;
    // The clients of frames, whose events were asked for when they were
    // found, then the tops searched below.
    std::vector<xcb_window_t> firstSight;
    std::vector<xcb_window_t> frames;
    std::vector<xcb_window_t> plain;
    for (const xcb_window_t window : dirty_) {
        const Top& top = tops_.at(window);
        if (top.role == Role::Frame) {
            firstSight.push_back(top.client);
            frames.push_back(window);
        } else {
            plain.push_back(window);
        }
    }
    dirty_.clear();
    desktop_.selectEvents(plain, kTreeMask);
    if (std::ranges::find(plain, manager_) != plain.end())
        desktop_.selectEvents({manager_}, kManagerCheckMask);
    const std::size_t plainStart = firstSight.size();
    firstSight.insert(firstSight.end(), plain.begin(), plain.end());
    const std::vector<WindowProperties> properties = desktop_.properties(firstSight, plainStart);
    for (std::size_t i = 0; i < plainStart; ++i)
        tops_.at(frames[i]).shown = Shown(firstSight[i], properties[i]);
    resolvePlain(plain,
                 {properties.begin() + static_cast<std::ptrdiff_t>(plainStart), properties.end()});
    desktop_.checkConnection();
}

/// For each plain top the window it stands for: itself when it carries
/// WM_STATE, else the topmost descendant with WM_STATE within the search depth,
/// else itself. An untitled top whose client has no WM_STATE yet (a window
/// manager still taking it on) stands for its topmost titled descendant, so a
/// script's window never drops out of the count for a moment. Every window the
/// search reads is watched, since a change in it can change the answer.
void X11WindowTracker::resolvePlain(const std::vector<xcb_window_t>& tops,
                                    const std::vector<WindowProperties>& topProperties) {
    struct Candidate {
        xcb_window_t window = XCB_WINDOW_NONE;
        WindowProperties properties;
    };
    std::vector<Candidate> managed(tops.size());
    std::vector<Candidate> titled(tops.size());
    // (index of the top, window whose children are searched)
    std::vector<std::pair<std::size_t, xcb_window_t>> searched;
    for (std::size_t i = 0; i < tops.size(); ++i) {
        forgetBelow(tops[i]);
        if (!topProperties[i].gone && !topProperties[i].hasWmState)
            searched.emplace_back(i, tops[i]);
    }
    for (int depth = 0; depth < kClientSearchDepth && !searched.empty(); ++depth) {
        std::vector<xcb_window_t> parents;
        for (const auto& entry : searched) parents.push_back(entry.second);
        const std::vector<std::vector<xcb_window_t>> kids = desktop_.children(parents);

        std::vector<std::pair<std::size_t, xcb_window_t>> next;
        for (std::size_t j = 0; j < searched.size(); ++j)
            for (const xcb_window_t kid : TopToBottom(kids[j]))
                next.emplace_back(searched[j].first, kid);
        std::vector<xcb_window_t> candidates;
        for (const auto& [top, kid] : next) {
            candidates.push_back(kid);
            tops_.at(tops[top]).below.push_back(kid);
            topOf_[kid] = tops[top];
        }
        desktop_.selectEvents(candidates, kTreeMask);
        const std::vector<WindowProperties> candidateProperties = desktop_.properties(candidates);

        for (std::size_t j = 0; j < next.size(); ++j) {
            const std::size_t top = next[j].first;
            const WindowProperties& candidate = candidateProperties[j];
            if (candidate.hasWmState && managed[top].window == XCB_WINDOW_NONE) {
                managed[top] = {next[j].second, candidate};
            } else if (!candidate.title.empty() && topProperties[top].title.empty() &&
                       titled[top].window == XCB_WINDOW_NONE) {
                titled[top] = {next[j].second, candidate};
            }
        }
        std::erase_if(next, [&](const auto& entry) {
            return managed[entry.first].window != XCB_WINDOW_NONE;
        });
        searched = std::move(next);
    }
    for (std::size_t i = 0; i < tops.size(); ++i) {
        const Candidate& chosen = managed[i].window != XCB_WINDOW_NONE ? managed[i] : titled[i];
        tops_.at(tops[i]).shown = chosen.window != XCB_WINDOW_NONE && !topProperties[i].gone
                                      ? Shown(chosen.window, chosen.properties)
                                      : Shown(tops[i], topProperties[i]);
    }
}

void X11WindowTracker::collect() {
    std::vector<TopLevelWindow> windows = shownInStackingOrder();
    // Handed out again when nothing that shows has changed, so its counts are kept.
    if (windows != snapshot_->windows())
        snapshot_ = std::make_shared<const WindowSnapshot>(std::move(windows));
    changed_ = false;
}

std::vector<TopLevelWindow> X11WindowTracker::shownInStackingOrder() const {
    std::vector<TopLevelWindow> windows;
    windows.reserve(stack_.size());
    for (auto window = stack_.rbegin(); window != stack_.rend(); ++window)
        if (const TopLevelWindow& shown = tops_.at(*window).shown; shown.handle != 0)
            windows.push_back(shown);
    return windows;
}

std::string X11WindowTracker::brokenInvariant() const {
    const std::unordered_set<xcb_window_t> stacked(stack_.begin(), stack_.end());
    if (stacked.size() != stack_.size()) return "1: a root child is stacked twice";
    if (stacked.size() != tops_.size() ||
        !std::ranges::all_of(stack_, [&](xcb_window_t w) { return tops_.contains(w); }))
        return "1: the stacking order and the known root children differ";
    for (const auto& [window, top] : tops_) {
        if ((top.role == Role::Frame) != (top.client != XCB_WINDOW_NONE))
            return "2: " + Hex(window) + " has a client but is no frame, or the other way round";
        if (top.role != Role::Frame) continue;
        if (const auto found = topOf_.find(top.client);
            found == topOf_.end() || found->second != window)
            return "2: the client " + Hex(top.client) + " of " + Hex(window) +
                   " is not known to lie in it";
        if (!top.below.empty()) return "2: the frame " + Hex(window) + " is searched below";
    }
    for (const auto& [window, topWindow] : topOf_) {
        const auto top = tops_.find(topWindow);
        if (top == tops_.end() ||
            (top->second.client != window &&
             std::ranges::find(top->second.below, window) == top->second.below.end()))
            return "3: " + Hex(window) + " is known to lie in " + Hex(topWindow) +
                   ", which neither holds nor searched it";
    }
    if (!dirty_.empty() || !toLocate_.empty() || rebuildNeeded_ || clientListChanged_ || changed_)
        return "4: windows are left to read, or a walk to take";
    if (shownInStackingOrder() != snapshot_->windows())
        return "5: the list handed out is not what the root children stand for";
    std::unordered_set<WindowHandle> listed;
    for (const TopLevelWindow& window : snapshot_->windows())
        if (!listed.insert(window.handle).second)
            return "5: " + Hex(static_cast<xcb_window_t>(window.handle)) + " is listed twice";
    return {};
}

void X11WindowTracker::addTop(xcb_window_t window) {
    if (tops_.contains(window)) return;
    stack_.push_back(window);  // a new child of the root is stacked on top
    tops_[window].role = roleOf(window);
    dirty_.insert(window);
}

void X11WindowTracker::removeTop(xcb_window_t window) {
    const auto found = tops_.find(window);
    if (found == tops_.end()) return;
    forgetBelow(window);
    forgetOwner(found->second.client, window);
    tops_.erase(found);
    std::erase(stack_, window);
    dirty_.erase(window);
    changed_ = true;
}

void X11WindowTracker::restack(xcb_window_t window, xcb_window_t above) {
    const auto at = std::ranges::find(stack_, window);
    if (at == stack_.end()) {
        rebuildNeeded_ = true;
        return;
    }
    const xcb_window_t below = at == stack_.begin() ? xcb_window_t{XCB_WINDOW_NONE} : *(at - 1);
    if (below == above) return;  // moved or resized, not restacked
    stack_.erase(at);
    auto place = stack_.begin();
    if (above != XCB_WINDOW_NONE) {
        place = std::ranges::find(stack_, above);
        if (place == stack_.end()) {
            rebuildNeeded_ = true;
            return;
        }
        ++place;
    }
    stack_.insert(place, window);
    changed_ = true;
}

/// The top the window belongs to is read again at the end of the call.
void X11WindowTracker::markDirty(xcb_window_t window) {
    if (tops_.contains(window)) {
        dirty_.insert(window);
    } else if (const auto found = topOf_.find(window); found != topOf_.end()) {
        dirty_.insert(found->second);
    }
}

/// Forgets the windows watched below a top, but not those that have moved
/// below another top since.
void X11WindowTracker::forgetBelow(xcb_window_t topWindow) {
    Top& top = tops_.at(topWindow);
    for (const xcb_window_t window : top.below) forgetOwner(window, topWindow);
    top.below.clear();
}

void X11WindowTracker::forgetOwner(xcb_window_t window, xcb_window_t topWindow) {
    if (const auto found = topOf_.find(window); found != topOf_.end() && found->second == topWindow)
        topOf_.erase(found);
}

X11WindowTracker::Role X11WindowTracker::roleOf(xcb_window_t window) const {
    const std::uint32_t clientBits = ~desktop_.resourceIdMask();
    return manager_ != XCB_WINDOW_NONE && (window & clientBits) == (manager_ & clientBits)
               ? Role::ManagerOwn
               : Role::Plain;
}

bool X11WindowTracker::isClient(xcb_window_t window) const {
    const auto found = topOf_.find(window);
    return found != topOf_.end() && tops_.at(found->second).client == window;
}

}  // namespace vantrel::xcb
