// The Win32 main window doing what the user asks: start-up, the concurrency,
// the editing commands with their real file dialogs and boxes, the list's own
// menu, and closing during a run and resuming it.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <filesystem>
#include <set>

#include "app/win32/Win32FileChooser.h"
#include "app/win32/tests/Win32WindowFixture.h"

namespace vantrel::testing {
namespace {

using Texts = std::vector<std::string>;
using namespace win32;
namespace fs = std::filesystem;

using Win32WindowTest = Win32WindowFixture;

constexpr int kStartStop = CommandId(Command::StartStop);
const std::string kA = "C:\\q\\a.txt", kB = "C:\\q\\b.txt", kC = "C:\\q\\c.txt";
const Texts kQueue{"01-" + kA, "02-" + kB, "03-" + kC};

/// The file name box of an open or save dialog, or nullptr for a message box.
HWND FileNameBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, 0x47C);  // the name's combo box, or its edit box
    return box != nullptr ? box : GetDlgItem(dialog, 0x480);
}

/// Picks a file type as a person does in the dialog's list of them, counted from 0.
void ChooseFilter(HWND dialog, int filter) {
    constexpr int kFilterBox = 0x470;
    HWND types = GetDlgItem(dialog, kFilterBox);
    SendMessageW(types, CB_SETCURSEL, filter, 0);
    // What the box tells its dialog when a person picks from its open list.
    for (const WORD notification : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFilterBox, notification),
                     reinterpret_cast<LPARAM>(types));
}

/// The names the dialog's file list shows.
std::set<std::wstring> FilesShownIn(HWND dialog) {
    HWND view = FindWindowExW(FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr), nullptr,
                              WC_LISTVIEWW, nullptr);
    std::set<std::wstring> names;
    for (int item = 0; item < ListView_GetItemCount(view); ++item) {
        wchar_t name[MAX_PATH] = {};
        ListView_GetItemText(view, item, 0, name, MAX_PATH);
        names.insert(name);
    }
    return names;
}

/// Answers file dialogs as a person would: goes to `folder` by typing it in
/// the name box, then types `names` and presses OK; message boxes with OK.
ModalAnswerer::Answer TypeIntoFileDialogs(const fs::path& folder, const std::wstring& names) {
    return [folder, names](HWND dialog, const ModalAnswerer::Seen&) {
        if (HWND box = FileNameBox(dialog)) {
            SetWindowTextW(box, folder.c_str());
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            SetWindowTextW(box, names.c_str());
        }
        return IDOK;
    };
}

/// What the shell hands a window when files are dropped on it.
HGLOBAL DropOf(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths) list += path + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
    GlobalUnlock(memory);
    return memory;
}

/// The first shown window of this thread of that class, or nullptr.
HWND ShownWindowOfClass(const wchar_t* windowClass) {
    static std::pair<const wchar_t*, HWND> found;
    found = {windowClass, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (wcscmp(name, found.first) == 0 && IsWindowVisible(window)) found.second = window;
            return found.second == nullptr;
        },
        0);
    return found.second;
}

/// A key pressed in a window of this thread, posted to it: it reaches a
/// pop-up menu's own loop whichever window has the desktop's keyboard focus,
/// which a program the test started (the log viewer) may have taken.
void PressKeyIn(HWND window, WORD key) {
    const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(window, WM_KEYDOWN, key, 1 | scanCode);
    PostMessageW(window, WM_KEYUP, key, 1 | scanCode | (LPARAM{3} << 30));
}

/// The items of the pop-up menu `open` brings up, which is then closed as
/// Escape would close it, or, given a `choice`, that item is chosen with the
/// arrow keys and Enter; empty when none comes up.
Texts PopupMenu(const std::function<void()>& open, const std::string& choice = {}) {
    static Texts items;
    static std::string chosen;
    items.clear();
    chosen = choice;
    const UINT_PTR timer = SetTimer(nullptr, 0, 40, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND shown = ShownWindowOfClass(L"#32768");
        if (!items.empty() || shown == nullptr) return;  // its keys are on their way
        const auto menu = reinterpret_cast<HMENU>(SendMessageW(shown, MN_GETHMENU, 0, 0));
        for (int item = 0; item < GetMenuItemCount(menu); ++item) {
            wchar_t caption[64] = {};
            GetMenuStringW(menu, item, caption, 64, MF_BYPOSITION);
            items.push_back(Utf8FromWide(caption));
        }
        const auto found = std::find(items.begin(), items.end(), chosen);
        if (found == items.end()) return EndMenu(), void();
        for (auto item = items.begin(); item <= found; ++item) PressKeyIn(shown, VK_DOWN);
        PressKeyIn(shown, VK_RETURN);
    });
    open();
    KillTimer(nullptr, timer);
    return items;
}

/// For this process, files of the .log type open with a command that copies
/// them to `opened`, standing in for the program the desktop opens them with.
class LogViewer {
public:
    explicit LogViewer(const fs::path& opened) {
        RegCreateKeyW(HKEY_CURRENT_USER, L"Classes", &classes_);  // in the temporary key
        const std::wstring open = L"cmd.exe /c copy \"%1\" \"" + opened.wstring() + L"\"";
        RegSetValueW(classes_, L".log", REG_SZ, L"vantrel.log", 0);
        RegSetValueW(classes_, L"vantrel.log\\shell\\open\\command", REG_SZ, open.c_str(), 0);
        RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_);
    }
    ~LogViewer() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(classes_);
    }

private:
    HKEY classes_ = nullptr;
};

// Only a concurrency the user picks is stored, at once, not one start-up shows.
TEST_F(Win32WindowTest, StartUpShowsTheSavedQueueConcurrencyAndHiddenTitleAndAPickedConcurrencyIsKept) {
    store->setStringValue(kSettingsKeyPath, "Id", "abc");
    open({kQueue[1], kQueue[0]});
    EXPECT_EQ(rows(), (Texts{kQueue[0], kQueue[1]}));
    EXPECT_EQ(textOf(kConcurrencyId), "1");
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "abc");
    EXPECT_EQ(textOf(kStartStop), "Start");
    EXPECT_EQ(WindowTextOf(window->handle()), "Vantrel");
    EXPECT_EQ(textOf(kPartialTitleEditId), "esscmd.exe");
    EXPECT_FALSE(IsWindowVisible(control(kPartialTitleEditId)));
    EXPECT_EQ(SendMessageW(control(kQueueListId), LB_GETHORIZONTALEXTENT, 0, 0),
              ListHorizontalExtent(window->twipsPerPixel()));
    SetFocus(control(kConcurrencyId));
    for (int i = 0; i < 3; ++i) SendMessageW(control(kConcurrencyId), WM_KEYDOWN, VK_DOWN, 0);
    settle();
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "4");
    restart();
    EXPECT_EQ(textOf(kConcurrencyId), "4");

    ModalAnswerer answerer;
    Win32MainWindow damaged(parts(StoreProblem{"HKEY_CURRENT_USER", "access is denied"}));
    damaged.load();
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].title + " " + answerer.seen[0].look, "Vantrel OK") << "a plain box";
    EXPECT_NE(answerer.seen[0].text.find("access is denied"), std::string::npos);
}

TEST_F(Win32WindowTest, AddDropsTheArrowsAndTheListsMenuChangeTheQueue) {
    const std::string a = script("a.txt"), b = script("b b.txt"), c = script("c.txt");
    const std::string folder = Utf8FromWide(scripts.path().wstring());
    open({"01-C:\\s\\x.txt"});
    {
        ModalAnswerer answerer(TypeIntoFileDialogs(scripts.path(), L"\"a.txt\" \"b b.txt\""));
        click(CommandId(Command::AddScripts));
        PostMessageW(control(kQueueListId), WM_DROPFILES,
                     reinterpret_cast<WPARAM>(DropOf({*WideFromUtf8(c), scripts.path().wstring()})), 0);
        settle();
        ASSERT_EQ(answerer.seen.size(), 2u);
        EXPECT_EQ(answerer.seen[1].text,
                  "Only files can be queued, so these have not been added:\n" + folder + " (a folder)");
    }
    EXPECT_EQ(rows(), (Texts{"01-C:\\s\\x.txt", "02-" + a, "03-" + b, "04-" + c}));

    clickRow(3);
    for (const Command move : {Command::MoveSelectedUp, Command::MoveSelectedUp, Command::MoveSelectedDown})
        click(CommandId(move));
    EXPECT_EQ(rows(), (Texts{"01-C:\\s\\x.txt", "02-" + a, "03-" + c + "*", "04-" + b}));
    {
        ModalAnswerer answerer(TypeIntoFileDialogs(scripts.path(), L"queue.txt"));
        chooseMenu(CommandId(Command::ExportList));
        ASSERT_EQ(answerer.seen.size(), 2u);
        EXPECT_EQ(answerer.seen[1].text + answerer.seen[1].look,
                  " Your list has been saved to " + folder + "\\queue.txt.OK");
    }
    EXPECT_EQ(ReadBytes(scripts.path() / "queue.txt"),
              "01-C:\\s\\x.txt\r\n02-" + a + "\r\n03-" + c + "\r\n04-" + b + "\r\n");
    // Written by hand in the ANSI code page (1252 here), which a byte that is
    // no UTF-8 tells, for the whole file.
    ASSERT_EQ(GetACP(), 1252u) << "the test prefix runs a Western locale";
    WriteBytes(scripts.path() / "hand.txt", "01-C:\\\xC3\xA9.txt\r\n02-C:\\caf\xE9 \x80.txt");
    {
        ModalAnswerer answerer(TypeIntoFileDialogs(scripts.path(), L"hand.txt"));
        chooseMenu(CommandId(Command::ImportList));
    }
    EXPECT_EQ(rows(), (Texts{"01-C:\\\xC3\x83\xC2\xA9.txt", "02-C:\\caf\xC3\xA9 \xE2\x82\xAC.txt"}));
}

TEST_F(Win32WindowTest, RemoveAsksAndTakesTheEntriesOnlyOnOk) {
    open({"01-C:\\s\\a", "02-C:\\s\\b", "03-C:\\s\\c"});
    bool agree = false;
    ModalAnswerer answerer([&agree](HWND, const ModalAnswerer::Seen& box) {
        return agree || box.look.find("Cancel") == std::string::npos ? IDOK : IDCANCEL;
    });
    click(CommandId(Command::RemoveSelected));
    clickRow(1);
    click(CommandId(Command::RemoveSelected));
    EXPECT_EQ(rows(), (Texts{"01-C:\\s\\a", "02-C:\\s\\b*", "03-C:\\s\\c"}));
    agree = true;
    clickRow(2, MK_CONTROL);
    click(CommandId(Command::RemoveSelected));
    EXPECT_EQ(rows(), (Texts{"01-C:\\s\\a"}));
    Texts boxes;
    for (const ModalAnswerer::Seen& box : answerer.seen) boxes.push_back(box.look + ": " + box.text);
    EXPECT_EQ(boxes, (Texts{"information OK: " + std::string(kNothingToRemoveText),
                            "question OK Cancel: Are you sure you want to remove 02-C:\\s\\b?",
                            "question OK Cancel: Are you sure you want to remove all 2 items?"}));
    EXPECT_EQ(store->subKeys(kQueueRecordKeyPath), (Texts{EntryKeyName("01-C:\\s\\a")}));
}

TEST_F(Win32WindowTest, TheDialogsOpenInTheFolderLastUsedAndExportAddsTxtForTheTextFilter) {
    const fs::path lists = scripts.path() / "lists";
    fs::create_directories(lists);
    open({kQueue[0]});
    std::vector<fs::path> openedIn;
    std::set<std::wstring> withText, withAll;
    const auto answer = [&](const std::wstring& name, int filter) {
        return [&, name, filter](HWND dialog, const ModalAnswerer::Seen&) {
            if (HWND box = FileNameBox(dialog)) {
                wchar_t folder[MAX_PATH] = {};
                SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
                openedIn.push_back(folder);
                withText = FilesShownIn(dialog);
                ChooseFilter(dialog, filter);
                withAll = FilesShownIn(dialog);
                SetWindowTextW(box, name.c_str());
            }
            return IDOK;
        };
    };
    const std::pair<std::wstring, int> exports[] = {
        {(lists / "monday").wstring(), 0}, {L"tuesday", 1}, {L"wednesday.lst", 0}};
    for (const auto& [name, filter] : exports) {
        ModalAnswerer answerer(answer(name, filter));
        chooseMenu(CommandId(Command::ExportList));
    }
    ModalAnswerer answerer(answer(L"tuesday", 1));
    chooseMenu(CommandId(Command::ImportList));

    ASSERT_EQ(openedIn.size(), 4u);
    EXPECT_TRUE(fs::equivalent(openedIn[0], _wgetenv(L"USERPROFILE"))) << openedIn[0];
    for (std::size_t i = 1; i < openedIn.size(); ++i)
        EXPECT_TRUE(fs::equivalent(openedIn[i], lists)) << openedIn[i];
    for (const char* saved : {"monday.txt", "tuesday", "wednesday.lst"})
        EXPECT_EQ(ReadBytes(lists / saved), kQueue[0] + "\r\n") << saved;
    EXPECT_EQ(withText, (std::set<std::wstring>{L"monday.txt"}));
    EXPECT_EQ(withAll, (std::set<std::wstring>{L"monday.txt", L"tuesday", L"wednesday.lst"}));
    EXPECT_EQ(rows(), Texts{kQueue[0]});
}

TEST_F(Win32WindowTest, EachKeyGivesItsCommandWhereItActs) {
    const std::string added = script("added.txt");
    store->setStringValue(kSettingsKeyPath, "ShowRunMessages", "0");
    open({"01-C:\\s\\a", "02-C:\\s\\b", "03-C:\\s\\c"});
    ModalAnswerer answerer(TypeIntoFileDialogs(scripts.path(), L"added.txt"));
    HWND list = control(kQueueListId), concurrency = control(kConcurrencyId);
    SetFocus(list);
    clickRow(0);
    struct Press {
        const char* what;
        HWND focus;
        WORD key;
        std::initializer_list<WORD> held;
        Texts rows;
    };
    const Press presses[] = {
        {"Alt+Down", list, VK_DOWN, {VK_MENU}, {"01-C:\\s\\b", "02-C:\\s\\a*", "03-C:\\s\\c"}},
        {"Alt+Up", list, VK_UP, {VK_MENU}, {"01-C:\\s\\a*", "02-C:\\s\\b", "03-C:\\s\\c"}},
        {"Delete off the list", concurrency, VK_DELETE, {}, {"01-C:\\s\\a*", "02-C:\\s\\b", "03-C:\\s\\c"}},
        {"Delete", list, VK_DELETE, {}, {"01-C:\\s\\b", "02-C:\\s\\c"}},
        {"Insert", concurrency, VK_INSERT, {}, {"01-C:\\s\\b", "02-C:\\s\\c", "03-" + added}},
    };
    for (const Press& each : presses) {
        SetFocus(each.focus);
        press(each.key, each.held);
        EXPECT_EQ(rows(), each.rows) << each.what;
    }
    ASSERT_EQ(answerer.seen.size(), 2u);
    EXPECT_EQ(answerer.seen[0].text, "Are you sure you want to remove 01-C:\\s\\a?");
    for (const std::string_view caption : {kStopCaption, kStartCaption}) {
        press('S', {VK_MENU});
        EXPECT_EQ(textOf(kStartStop), caption);
        pumpUntil([&] { return !desktop.started.empty(); });
    }
    EXPECT_EQ(desktop.started.size(), 1u);
    EXPECT_EQ(answerer.seen.size(), 2u) << "a quiet run asks nothing";
}

TEST_F(Win32WindowTest, TheRowUnderTheMouseShowsItsTooltip) {
    open({kQueue[0], kQueue[1]});
    const std::string running = kB + "\nRunning since 10:00:00";
    window->queueList().setRowProgress(1, RowProgress::Running, running);
    const auto tooltip = [] { return WindowTextOf(ShownWindowOfClass(TOOLTIPS_CLASSW)); };
    for (const auto& [row, text] : {std::pair{1, running}, std::pair{0, kA}}) {
        RECT item;
        SendMessageW(control(kQueueListId), LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
        POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ClientToScreen(control(kQueueListId), &middle);
        SetCursorPos(middle.x, middle.y);
        EXPECT_TRUE(pumpUntil([&] { return tooltip() == text; }, 5000))
            << "row " << row << " shows \"" << tooltip() << "\"";
    }
}

// The list's own menu, from the mouse and from both its keys, acts on the
// selected row; a run without its messages asks nothing.
TEST_F(Win32WindowTest, TheListsMenuSkipsRunsAFailedEntryAgainAndOpensItsLogInARunWithoutMessages) {
    open(kQueue);
    const auto messagesShown = [this] {
        return (GetMenuState(GetMenu(window->handle()), CommandId(Command::ShowRunMessages),
                             MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_TRUE(messagesShown());
    chooseMenu(CommandId(Command::ShowRunMessages));
    EXPECT_FALSE(messagesShown());
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "ShowRunMessages"), "0");

    ModalAnswerer answerer;
    const Texts listMenu{"Run Again", "Skip", "Open Log"};
    clickRow(2);
    EXPECT_EQ(PopupMenu([&] { clickRow(2, 0, WM_RBUTTONDOWN); }, "Skip"), listMenu);
    click(kStartStop);
    // The launch counts as running from the tick after it, however late that tick falls.
    EXPECT_TRUE(pumpUntil([&] { return textOf(kRunningLineId) == "Running:  1 of 1"; }));
    EXPECT_TRUE(IsWindowVisible(control(kRunningLineId)));
    for (const int status : {1, 0}) {
        pumpUntil([&] { return desktop.runningScripts() == 1; });
        desktop.endScript(desktop.started.back(), status);
    }
    EXPECT_TRUE(pumpUntil([&] { return textOf(kStartStop) == kFinishedCaption; }));
    EXPECT_EQ(desktop.started, (Texts{kA, kB})) << "c is skipped";

    // A console started before, as the viewer's is, may hold the desktop's
    // keyboard; the user clicks back into the list before pressing its keys.
    const auto focusList = [this] {
        SetForegroundWindow(window->handle());
        SetFocus(control(kQueueListId));
        return pumpUntil([&] { return GetForegroundWindow() == window->handle(); });
    };
    clickRow(0);
    EXPECT_TRUE(focusList());
    fs::create_directories(desktop.scripts[0].request.logFile.parent_path());
    WriteBytes(desktop.scripts[0].request.logFile, "a's log");
    {
        const LogViewer viewer(scripts.path() / "opened.log");
        EXPECT_EQ(PopupMenu([&] { press(VK_APPS); }, "Open Log"), listMenu);
        EXPECT_TRUE(pumpUntil([&] { return ReadBytes(scripts.path() / "opened.log") == "a's log"; }));
    }
    EXPECT_TRUE(focusList()) << "after the viewer";
    EXPECT_EQ(PopupMenu([&] { press(VK_F10, {VK_SHIFT}); }, "Run Again"), listMenu);
    click(kStartStop);
    EXPECT_TRUE(pumpUntil([&] { return desktop.started.size() == 3; }));
    desktop.endEveryScript();
    EXPECT_TRUE(pumpUntil([&] { return textOf(kStartStop) == kFinishedCaption; }));
    EXPECT_EQ(desktop.started, (Texts{kA, kB, kA})) << "only the failed entry runs again";
    EXPECT_TRUE(answerer.seen.empty());
    SetFocus(control(kConcurrencyId));
    EXPECT_EQ(PopupMenu([&] { press(VK_APPS); }), Texts{}) << "menu key off the list";
    restart();
    EXPECT_FALSE(messagesShown());
}

// Closed during a run, or killed, Vantrel leaves the run's record: the next
// start offers to resume it.
TEST_F(Win32WindowTest, ClosingDuringARunAsksFirstAndTheNextStartResumesOrStartsAfresh) {
    store->setStringValue(kSettingsKeyPath, "ShowRunMessages", "0");
    open(kQueue);
    const int answers[] = {IDCANCEL, IDOK, IDCANCEL, IDOK};
    std::size_t asked = 0;
    ModalAnswerer answerer([&](HWND, const ModalAnswerer::Seen&) {
        return asked < std::size(answers) ? answers[asked++] : IDOK;
    });
    const auto closeAsked = [&](const std::string& counts) {
        PostMessageW(window->handle(), WM_CLOSE, 0, 0);
        settle();
        return !answerer.seen.empty() &&
               answerer.seen.back().text ==
                   "A run is going on: " + counts +
                       " are not started yet. Close Vantrel?\n\nThe running scripts go on, and "
                       "the run can be resumed at the next start.";
    };
    click(kStartStop);
    EXPECT_FALSE(IsWindowEnabled(control(CommandId(Command::AddScripts)))) << "during a run";
    pumpUntil([&] { return desktop.started.size() == 1; });
    EXPECT_TRUE(closeAsked("1 scripts are running and 2"));
    ASSERT_NE(window->handle(), nullptr);
    desktop.endScript(kA);
    EXPECT_TRUE(pumpUntil([&] { return desktop.started.size() == 2; })) << "the run goes on";
    EXPECT_TRUE(closeAsked("1 scripts are running and 1"));
    EXPECT_EQ(window->handle(), nullptr);

    desktop.endScript(kB);
    restart();
    ASSERT_EQ(answerer.seen.size(), 3u);
    EXPECT_NE(answerer.seen[2].text.find("2 of 3 scripts started, 0 are still running. Resume it?"),
              std::string::npos) << answerer.seen[2].text;
    click(kStartStop);
    EXPECT_TRUE(pumpUntil([&] { return desktop.started.size() == 3; }));
    EXPECT_EQ(desktop.started.back(), kA) << "started afresh";

    restart();  // killed while a runs
    ASSERT_EQ(answerer.seen.size(), 4u);
    EXPECT_NE(answerer.seen[3].text.find("1 of 3 scripts started, 1 is still running"),
              std::string::npos) << answerer.seen[3].text;
    click(kStartStop);
    EXPECT_TRUE(pumpUntil([&] {
        desktop.endEveryScript();
        return textOf(kStartStop) == kFinishedCaption;
    }));
    EXPECT_EQ(desktop.started, (Texts{kA, kB, kA, kB, kC})) << "a, started before the kill, not again";
}

TEST(Win32FileChooserTest, SeveralChosenFilesAreJoinedToTheirFolder) {
    EXPECT_EQ(ChosenPaths(L"C:\\a b\\one.txt\0"), std::vector<std::wstring>{L"C:\\a b\\one.txt"});
    EXPECT_EQ(ChosenPaths(L"C:\\dir\0x.txt\0y y.txt\0"),
              (std::vector<std::wstring>{L"C:\\dir\\x.txt", L"C:\\dir\\y y.txt"}));
    EXPECT_EQ(ChosenPaths(L"C:\\\0x.txt\0y.txt\0"),
              (std::vector<std::wstring>{L"C:\\x.txt", L"C:\\y.txt"}));
    EXPECT_TRUE(ChosenPaths(L"\0").empty());
}

}  // namespace
}  // namespace vantrel::testing
