// Where the Win32 windows put their controls, in which fonts, and what the
// about box shows, at the screen's resolution. Run once at 96 dots per inch
// and once more at 120; screenshots of both windows are saved for a person.
#include <filesystem>
#include <set>

#include "about/AboutText.h"
#include "about/ProductInfo.h"
#include "app/FormLayout.h"
#include "app/win32/Win32AboutBox.h"
#include "app/win32/tests/Win32WindowFixture.h"
#include "queue/QueueEntry.h"
#include "testing/MarkProbes_windows.h"

namespace vantrel::testing {
namespace {

using namespace win32;

class Win32LookTest : public Win32WindowFixture {
protected:
    int dpi = GetDeviceCaps(ScreenDc().get(), LOGPIXELSX);

    RECT pixels(const TwipRect& twips) const {
        const double perPixel = TwipsPerPixel(dpi);
        const int left = PixelsFromTwips(twips.left, perPixel),
                  top = PixelsFromTwips(twips.top, perPixel);
        return {left, top, left + PixelsFromTwips(twips.width, perPixel),
                top + PixelsFromTwips(twips.height, perPixel)};
    }
    static RECT placeInParent(HWND control) {
        RECT place;
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
        return place;
    }
    static LOGFONTW fontOf(HWND control) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        return font;
    }
    /// The face the font system actually picked for a control's font.
    static std::wstring faceDrawnFor(HWND control) {
        const ScreenDc screen;
        HGDIOBJ previous = SelectObject(
            screen.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(screen.get(), LF_FACESIZE, face);
        SelectObject(screen.get(), previous);
        return face;
    }
    std::filesystem::path screenshot(const std::string& name) const {
        return std::filesystem::path(VANTREL_SCREENSHOT_DIR) /
               (name + "-" + std::to_string(dpi) + "dpi.bmp");
    }
};

void ExpectRect(const RECT& actual, const RECT& expected, const char* what) {
    EXPECT_TRUE(EqualRect(&actual, &expected))
        << what << ": " << actual.left << "," << actual.top << " " << actual.right - actual.left
        << "x" << actual.bottom - actual.top << " instead of " << expected.left << ","
        << expected.top << " " << expected.right - expected.left << "x"
        << expected.bottom - expected.top;
}

TEST_F(Win32LookTest, ControlsSitWhereTheirTwipsSayInTheirFonts) {
    using namespace main_form;
    open({"01-C:\\jobs\\a.txt"});
    const std::pair<int, TwipRect> places[] = {
        {kPartialTitleLabelId, kPartialTitleLabel},
        {kPartialTitleEditId, kPartialTitleEdit},
        {kStartsWithId, kStartsWithButton},
        {kContainsId, kContainsButton},
        {win32::CommandId(Command::Activate), kActivateButton},
        {kQueueListId, kQueueList},
        {win32::CommandId(Command::AddScripts), kAddButton},
        {kQueueHeadingId, kQueueHeading},
        {win32::CommandId(Command::RemoveSelected), kRemoveButton},
        {win32::CommandId(Command::StartStop), kStartStopButton},
        {win32::CommandId(Command::MoveSelectedUp), kMoveUpButton},
        {win32::CommandId(Command::MoveSelectedDown), kMoveDownButton},
        {kConcurrencyHeadingId, kConcurrencyHeading},
        {kStatusLineId, kStatusLines[0]},
        {kStatusLineId + 1, kStatusLines[1]},
        {kStatusLineId + 2, kStatusLines[2]},
    };
    for (const auto& [id, twips] : places)
        ExpectRect(placeInParent(control(id)), pixels(twips), "control");
    // A drop-down list's height follows its font; its place does not.
    const RECT box = placeInParent(control(kConcurrencyId)), wanted = pixels(kConcurrencyBox);
    EXPECT_EQ(box.left, wanted.left);
    EXPECT_EQ(box.top, wanted.top);
    EXPECT_EQ(box.right, wanted.right);
    RECT client;
    GetClientRect(window->handle(), &client);
    ExpectRect(client, pixels({0, 0, kClient.width, kClient.height}), "client area");

    for (const int id : std::initializer_list<int>{kQueueListId, win32::CommandId(Command::AddScripts), win32::CommandId(Command::StartStop), kConcurrencyId, kStatusLineId}) {
        EXPECT_EQ(faceDrawnFor(control(id)), L"MS Sans Serif");
        EXPECT_EQ(fontOf(control(id)).lfWeight, FW_BOLD);
        EXPECT_EQ(fontOf(control(id)).lfHeight, -std::lround(8.25 * dpi / 72));
    }
    for (const int id : std::initializer_list<int>{kPartialTitleLabelId, kStartsWithId, kContainsId, win32::CommandId(Command::Activate)})
        EXPECT_EQ(fontOf(control(id)).lfWeight, FW_NORMAL);
    ASSERT_TRUE(window->arrowsInSymbolFont()) << "the test display has Wingdings";
    EXPECT_EQ(faceDrawnFor(control(win32::CommandId(Command::MoveSelectedUp))), L"Wingdings");
    EXPECT_EQ(fontOf(control(win32::CommandId(Command::MoveSelectedUp))).lfCharSet, SYMBOL_CHARSET);
    EXPECT_EQ(textOf(win32::CommandId(Command::MoveSelectedUp)), "\xC3\xA1");  // U+00E1, the up arrow's place in the font
    EXPECT_EQ(textOf(win32::CommandId(Command::MoveSelectedDown)), "\xC3\xA2");
    EXPECT_EQ(textOf(kConcurrencyId), "1");
    SaveScreenshot(window->handle(), screenshot("main-window"));
}

TEST_F(Win32LookTest, EachRowShowsItsProgressMarkInTheSharedShapeAndColourAndEveryMarkDiffers) {
    std::vector<std::string> entries;
    for (std::size_t row = 0; row < std::size(kEveryRowProgress); ++row)
        entries.push_back(
            EntryText(static_cast<int>(row) + 1, "C:\\q\\calc " + std::to_string(row) + ".txt"));
    open(entries);
    HWND list = control(kQueueListId);
    for (std::size_t row = 0; row < entries.size(); ++row)
        window->queueList().setRowProgress(static_cast<int>(row), kEveryRowProgress[row],
                                           entries[row]);
    SetFocus(control(kConcurrencyId));
    ShowPainted(window->handle());

    std::set<std::vector<COLORREF>> looks;
    for (std::size_t row = 0; row < entries.size(); ++row) {
        RECT item;
        SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
        RECT mark = Win32ListBox::MarkPlace(item, dpi);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&mark), 2);
        ASSERT_EQ(mark.right - mark.left, MulDiv(kMarkGrid, dpi, 96));
        const ScreenPixels shown(mark);
        const MarkShape shape = ProgressMarkShape(kEveryRowProgress[row]);
        for (const GridPoint& point : MissingInk(shown, mark, shape))
            ADD_FAILURE() << "row " << row << " lacks ink at " << point.x << "," << point.y;
        const double scale = static_cast<double>(dpi) / 96;
        const GridBox box = InkBox(shape);
        std::vector<COLORREF> look;
        for (int y = mark.top; y < mark.bottom; ++y)
            for (int x = mark.left; x < mark.right; ++x) {
                look.push_back(shown.at(x, y));
                const double gridX = (x - mark.left + 0.5) / scale,
                             gridY = (y - mark.top + 0.5) / scale;
                const bool outside = gridX < box.left - 1 || gridX > box.right + 1 ||
                                     gridY < box.top - 1 || gridY > box.bottom + 1;
                EXPECT_TRUE(!outside || shown.at(x, y) == GetSysColor(COLOR_WINDOW))
                    << "row " << row << " has ink outside its mark at " << x - mark.left << ","
                    << y - mark.top;
            }
        looks.insert(look);
    }
    EXPECT_EQ(looks.size(), entries.size()) << "two states look the same";
    SaveScreenshot(window->handle(), screenshot("progress-marks"));
}

TEST_F(Win32LookTest, TabVisitsTheShownControlsInOrder) {
    open();
    HWND from = control(kQueueListId);
    std::vector<int> visited;
    for (int step = 0; step < 7; ++step) {
        from = GetNextDlgTabItem(window->handle(), from, FALSE);
        visited.push_back(GetDlgCtrlID(from));
    }
    EXPECT_EQ(visited, (std::vector<int>{win32::CommandId(Command::AddScripts), win32::CommandId(Command::RemoveSelected), win32::CommandId(Command::StartStop), win32::CommandId(Command::MoveSelectedUp), win32::CommandId(Command::MoveSelectedDown),
                                         kConcurrencyId, kQueueListId}));
}

TEST_F(Win32LookTest, AboutShowsTheVersionTextWithCloseFocusedAndTheLinkOverTheNotice) {
    using namespace about_form;
    open();
    std::vector<std::string> texts;
    ModalAnswerer answerer([&](HWND box, const ModalAnswerer::Seen& seen) {
        if (seen.title != "About Vantrel") return IDOK;
        texts.push_back(ModalAnswerer::TextOf(GetDlgItem(box, kAboutTextId)));
        texts.push_back(ModalAnswerer::TextOf(GetDlgItem(box, kLinkId)));
        EXPECT_EQ(GetFocus(), GetDlgItem(box, kAboutCloseId));
        for (const auto& [id, twips] : {std::pair{kAboutTextId, kAboutText},
                                        {kLegalNoticeId, kLegalNotice},
                                        {kLinkId, kLink},
                                        {kAboutCloseId, kCloseButton}})
            ExpectRect(placeInParent(GetDlgItem(box, id)), pixels(twips), "about box control");
        RECT client;
        GetClientRect(box, &client);
        ExpectRect(client, pixels({0, 0, kClient.width, kClient.height}), "about box client area");
        const LOGFONTW link = fontOf(GetDlgItem(box, kLinkId));
        EXPECT_EQ(std::wstring(link.lfFaceName), L"Times New Roman");
        EXPECT_TRUE(link.lfItalic && link.lfWeight == FW_BOLD);
        EXPECT_EQ(link.lfHeight, -std::lround(21.75 * dpi / 72));
        EXPECT_FALSE(IsWindowEnabled(window->handle()));
        SaveScreenshot(box, screenshot("about-box"));
        return IDCANCEL;  // Escape
    });
    chooseMenu(win32::CommandId(Command::About));
    chooseMenu(win32::CommandId(Command::About));
    const std::string about =
        AboutText(product::kName, {product::kVersionMajor, product::kVersionMinor,
                                   product::kVersionBuild, product::kVersionRevision});
    EXPECT_EQ(texts, (std::vector<std::string>{about, std::string(kMakerAddress), about,
                                               std::string(kMakerAddress)}));
    EXPECT_TRUE(IsWindowEnabled(window->handle()));
}

}  // namespace
}  // namespace vantrel::testing
