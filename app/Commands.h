#pragma once

#include <string_view>

#include "app/FormLayout.h"

// What the user can ask of the main window, and where each command is
// offered. Both front ends build their buttons and menus from these tables
// and hand every command to MainWindowLogic::onCommand.

namespace vantrel {

enum class Command {
    AddScripts,
    RemoveSelected,
    MoveSelectedUp,
    MoveSelectedDown,
    StartStop,
    Activate,
    ExportList,
    ImportList,
    ShowRunMessages,
    StopAfterFailure,
    About,
    RunAgain,
    Skip,
    OpenLog,
};

/// Where a command is offered: a button of the form, an item of a menu of
/// the menu bar, or of the queue list's own menu (right-click, the menu key).
enum class CommandPlace { Button, HiddenButton, ListsMenu, OptionsMenu, HelpMenu, QueueListMenu };

/// A key of the keyboard as both front ends name it to their toolkit; letters
/// by their name, Menu is the context menu key.
enum class Key { None, Delete, Insert, Up, Down, F10, Menu, S };

/// Keys held down with a key; combined with |.
enum KeyModifier : unsigned { kNoModifier = 0, kShift = 1, kCtrl = 2, kAlt = 4 };

/// Where a key acts: on the queue list while it has the keyboard focus, or
/// anywhere in the window.
enum class KeyScope { QueueList, Window };

struct KeyChord {
    Key key = Key::None;
    unsigned modifiers = kNoModifier;
    KeyScope scope = KeyScope::Window;
};

constexpr KeyChord OnQueueList(Key key, unsigned modifiers = kNoModifier) {
    return {key, modifiers, KeyScope::QueueList};
}
constexpr KeyChord InWindow(Key key, unsigned modifiers = kNoModifier) {
    return {key, modifiers, KeyScope::Window};
}

struct CommandInfo {
    Command command;
    CommandPlace offeredIn;
    /// The caption; empty for the arrow buttons, which draw their arrows, and
    /// for Start/Stop, whose caption the run sets.
    std::string_view caption;
    /// The form's name of its control, which UI tests and accessibility tools use.
    std::string_view objectName;
    /// A button's place on the form; unused for menu items.
    TwipRect buttonPlace{};
    /// A menu item that shows a check mark.
    bool checkable = false;
    /// The key that gives the command; Key::None for none.
    KeyChord key{};
};

/// The buttons come in the order the Tab key visits them, the menu items in menu order.
inline constexpr CommandInfo kCommands[] = {
    {Command::AddScripts, CommandPlace::Button, "Add", "cmdAdd", main_form::kAddButton, false,
     InWindow(Key::Insert)},
    {Command::RemoveSelected, CommandPlace::Button, "Remove", "cmdRemove", main_form::kRemoveButton,
     false, OnQueueList(Key::Delete)},
    // The run sets the captions; Alt+S stands for the "S" of each of them.
    {Command::StartStop, CommandPlace::Button, "", "cmdRun", main_form::kStartStopButton, false,
     InWindow(Key::S, kAlt)},
    {Command::MoveSelectedUp, CommandPlace::Button, "", "cmdUp", main_form::kMoveUpButton, false,
     OnQueueList(Key::Up, kAlt)},
    {Command::MoveSelectedDown, CommandPlace::Button, "", "Command2", main_form::kMoveDownButton,
     false, OnQueueList(Key::Down, kAlt)},
    {Command::Activate, CommandPlace::HiddenButton, "&Activate", "Command1",
     main_form::kActivateButton},
    {Command::ExportList, CommandPlace::ListsMenu, "Export List", "mnuListsExport"},
    {Command::ImportList, CommandPlace::ListsMenu, "Import List", "mnuListsImport"},
    {Command::ShowRunMessages, CommandPlace::OptionsMenu, "Show Run Messages",
     "mnuOptionsShowRunMessages", {}, true},
    {Command::StopAfterFailure, CommandPlace::OptionsMenu, "Stop Starting After a Failure",
     "mnuOptionsStopAfterFailure", {}, true},
    {Command::About, CommandPlace::HelpMenu, "About", "mnuAbout"},
    {Command::RunAgain, CommandPlace::QueueListMenu, "Run Again", "mnuQueueRunAgain"},
    {Command::Skip, CommandPlace::QueueListMenu, "Skip", "mnuQueueSkip"},
    {Command::OpenLog, CommandPlace::QueueListMenu, "Open Log", "mnuQueueOpenLog"},
};

/// The keys that open the queue list's own menu, as on every desktop (a
/// Windows list box turns them into its context menu by itself).
inline constexpr KeyChord kQueueListMenuKeys[] = {OnQueueList(Key::Menu),
                                                  OnQueueList(Key::F10, kShift)};

struct MenuInfo {
    CommandPlace holds;
    std::string_view caption;
    std::string_view objectName;
};

/// The menu bar, left to right.
inline constexpr MenuInfo kMenus[] = {
    {CommandPlace::ListsMenu, "Lists", "mnuLists"},
    {CommandPlace::OptionsMenu, "Options", "mnuOptions"},
    {CommandPlace::HelpMenu, "Help", "mnuHelp"},
};

}  // namespace vantrel
