// The Win32 main window doing what the user asks: start-up, the concurrency,
// the editing commands with their real file dialogs and boxes, and a run.
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <filesystem>

#include "app/win32/Win32FileChooser.h"
#include "app/win32/tests/Win32WindowFixture.h"
#include "testing/FileBytes.h"

namespace vantrel::testing {
namespace {

using Texts = std::vector<std::string>;
using namespace win32;
namespace fs = std::filesystem;

using Win32WindowTest = Win32WindowFixture;

/// A folder of its own under the temporary folder, made current so the file
/// dialogs start in it; removed with everything in it.
struct TempFolder {
    fs::path path =
        fs::temp_directory_path() / ("vantrel window " + std::to_string(GetCurrentProcessId()));
    fs::path previous = fs::current_path();
    TempFolder() {
        fs::remove_all(path);
        fs::create_directories(path);
        fs::current_path(path);
    }
    ~TempFolder() {
        fs::current_path(previous);
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const {
        const fs::path file = path / name;
        WriteBytes(file, "LOGIN\r\n");
        return Utf8FromWide(file.wstring());
    }
};

/// The file name box of an open or save dialog, or nullptr for a message box.
HWND FileNameBox(HWND dialog) {
    constexpr int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;
    HWND box = GetDlgItem(dialog, kFileNameCombo);
    return box != nullptr ? box : GetDlgItem(dialog, kFileNameEdit);
}

/// Answers file dialogs by typing `names` and pressing OK, message boxes with OK.
ModalAnswerer::Answer TypeIntoFileDialogs(const std::wstring& names) {
    return [names](HWND dialog, const ModalAnswerer::Seen&) {
        if (HWND box = FileNameBox(dialog)) SetWindowTextW(box, names.c_str());
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

TEST_F(Win32WindowTest, StartUpShowsTheSavedQueueConcurrencyAndHiddenTitle) {
    store->setStringValue(kSettingsKeyPath, "Id", "4");
    open({"02-C:\\jobs\\b.txt", "01-C:\\jobs\\a.txt"});
    EXPECT_EQ(rows(), (Texts{"01-C:\\jobs\\a.txt", "02-C:\\jobs\\b.txt"}));
    EXPECT_EQ(textOf(kConcurrencyId), "4");
    EXPECT_EQ(textOf(win32::CommandId(Command::StartStop)), "Start");
    EXPECT_EQ(ModalAnswerer::TextOf(window->handle()), "Vantrel");
    EXPECT_EQ(textOf(kPartialTitleEditId), "esscmd.exe");
    EXPECT_FALSE(IsWindowVisible(control(kPartialTitleEditId)));
    EXPECT_EQ(SendMessageW(control(kQueueListId), LB_GETHORIZONTALEXTENT, 0, 0),
              ListHorizontalExtent(window->twipsPerPixel()));
}

TEST_F(Win32WindowTest, AConcurrencyPickedWithTheKeyboardIsStoredAtOnce) {
    store->setStringValue(kSettingsKeyPath, "Id", "abc");
    open();
    EXPECT_EQ(textOf(kConcurrencyId), "1");
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "abc");
    SetFocus(control(kConcurrencyId));
    for (int i = 0; i < 5; ++i) SendMessageW(control(kConcurrencyId), WM_KEYDOWN, VK_DOWN, 0);
    settle();
    EXPECT_EQ(textOf(kConcurrencyId), "6");
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "6");
}

TEST_F(Win32WindowTest, AStoreProblemIsShownInAPlainBoxTheUserCloses) {
    ModalAnswerer answerer;
    Win32MainWindow damaged(parts(StoreProblem{"HKEY_CURRENT_USER", "access is denied"}));
    damaged.load();
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].title, "Vantrel");
    EXPECT_EQ(answerer.seen[0].icon, nullptr);
    EXPECT_TRUE(answerer.seen[0].hasOk && !answerer.seen[0].hasCancel);
    EXPECT_NE(answerer.seen[0].text.find("access is denied"), std::string::npos);
}

TEST_F(Win32WindowTest, AddDropsTheArrowsAndTheListsMenuChangeTheQueue) {
    TempFolder folder;
    const std::string a = folder.file("a.txt"), b = folder.file("b b.txt"),
                      c = folder.file("c.txt");
    open({"01-C:\\s\\x.txt"});
    {
        ModalAnswerer answerer(TypeIntoFileDialogs(L"\"a.txt\" \"b b.txt\""));
        click(win32::CommandId(Command::AddScripts));
        EXPECT_EQ(answerer.seen.size(), 1u);
    }
    const std::string dir = Utf8FromWide(folder.path.wstring());
    {
        ModalAnswerer answerer;
        PostMessageW(control(kQueueListId), WM_DROPFILES,
                     reinterpret_cast<WPARAM>(DropOf({*WideFromUtf8(c), folder.path.wstring()})), 0);
        settle();
        ASSERT_EQ(answerer.seen.size(), 1u);
        EXPECT_EQ(answerer.seen[0].text,
                  "Only files can be queued, so these have not been added:\n" + dir + " (a folder)");
    }
    EXPECT_EQ(rows(), (Texts{"01-C:\\s\\x.txt", "02-" + a, "03-" + b, "04-" + c}));

    clickRow(3);
    click(win32::CommandId(Command::MoveSelectedUp));
    click(win32::CommandId(Command::MoveSelectedUp));
    click(win32::CommandId(Command::MoveSelectedDown));
    EXPECT_EQ(rows(), (Texts{"01-C:\\s\\x.txt", "02-" + a, "03-" + c + "*", "04-" + b}));

    const std::string list = Utf8FromWide((folder.path / "queue.txt").wstring());
    {
        ModalAnswerer answerer(TypeIntoFileDialogs(L"queue.txt"));
        chooseMenu(win32::CommandId(Command::ExportList));
        ASSERT_EQ(answerer.seen.size(), 2u);
        EXPECT_EQ(answerer.seen[1].text, " Your list has been saved to " + list + ".");
        EXPECT_EQ(answerer.seen[1].icon, nullptr);
    }
    EXPECT_EQ(ReadBytes(folder.path / "queue.txt"),
              "01-C:\\s\\x.txt\r\n02-" + a + "\r\n03-" + c + "\r\n04-" + b + "\r\n");
    // Written by hand in the ANSI code page (1252 here): "café".
    WriteBytes(folder.path / "hand.txt", "01-C:\\caf\xE9.txt\r\n02-C:\\b.txt");
    {
        ModalAnswerer answerer(TypeIntoFileDialogs(L"hand.txt"));
        chooseMenu(win32::CommandId(Command::ImportList));
    }
    EXPECT_EQ(rows(), (Texts{"01-C:\\caf\xC3\xA9.txt", "02-C:\\b.txt"}));
}

TEST_F(Win32WindowTest, RemoveAsksAndTakesTheEntriesOnlyOnOk) {
    open({"01-C:\\s\\a", "02-C:\\s\\b", "03-C:\\s\\c"});
    bool agree = false;
    ModalAnswerer answerer([&agree](HWND, const ModalAnswerer::Seen& box) {
        return agree || !box.hasCancel ? IDOK : IDCANCEL;
    });
    click(win32::CommandId(Command::RemoveSelected));
    clickRow(1);
    click(win32::CommandId(Command::RemoveSelected));
    EXPECT_EQ(rows(), (Texts{"01-C:\\s\\a", "02-C:\\s\\b*", "03-C:\\s\\c"}));
    agree = true;
    clickRow(2, MK_CONTROL);
    click(win32::CommandId(Command::RemoveSelected));
    EXPECT_EQ(rows(), (Texts{"01-C:\\s\\a"}));
    ASSERT_EQ(answerer.seen.size(), 3u);
    EXPECT_EQ(answerer.seen[0].text, kNothingToRemoveText);
    EXPECT_EQ(answerer.seen[0].icon, LoadIconW(nullptr, IDI_INFORMATION));
    EXPECT_TRUE(answerer.seen[0].hasOk && !answerer.seen[0].hasCancel);
    EXPECT_EQ(answerer.seen[1].text, "Are you sure you want to remove 02-C:\\s\\b?");
    EXPECT_EQ(answerer.seen[1].icon, LoadIconW(nullptr, IDI_QUESTION));
    EXPECT_TRUE(answerer.seen[1].hasOk && answerer.seen[1].hasCancel);
    EXPECT_EQ(answerer.seen[2].text, "Are you sure you want to remove all 2 items?");
    EXPECT_EQ(store->subKeys(kQueueRecordKeyPath), (Texts{EntryKeyName("01-C:\\s\\a")}));
}

// The timers drive the run while its boxes are open; each started script's
// window opens, and closes once the next one has started.
TEST_F(Win32WindowTest, ARunStartsEveryScriptInQueueOrderTwoAtATimeAndFinishes) {
    store->setStringValue(kSettingsKeyPath, "Id", "2");
    open({"01-C:\\q\\a.txt", "02-C:\\q\\b.txt", "03-C:\\q\\c.txt"});
    ModalAnswerer answerer;
    std::size_t mostOpen = 0;
    click(win32::CommandId(Command::StartStop));
    EXPECT_FALSE(IsWindowEnabled(control(win32::CommandId(Command::AddScripts))));
    EXPECT_TRUE(PumpUntil(
        [&] {
            desktop.mapStartedWindows();
            mostOpen = std::max(mostOpen, desktop.runningScripts());
            if (desktop.runningScripts() == 2 ||
                (desktop.started.size() == 3 && desktop.runningScripts() > 0))
                desktop.endOldestScript();
            return textOf(win32::CommandId(Command::StartStop)) == kFinishedCaption;
        },
        60000));
    EXPECT_EQ(desktop.started, (Texts{"C:\\q\\a.txt", "C:\\q\\b.txt", "C:\\q\\c.txt"}));
    EXPECT_LE(mostOpen, 2u);
    EXPECT_EQ(textOf(kStatusLineId), "Scripts Executed:  3");
    click(win32::CommandId(Command::StartStop));
    EXPECT_EQ(window->handle(), nullptr);
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
