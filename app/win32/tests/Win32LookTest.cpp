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
#include "testing/MarkProbes_windows.h"

namespace vantrel::testing {
namespace {

using namespace win32;

std::string Described(const RECT& place) {
    return std::to_string(place.left) + "," + std::to_string(place.top) + " " +
           std::to_string(place.right - place.left) + "x" + std::to_string(place.bottom - place.top);
}

RECT PlaceInParent(HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

RECT ClientArea(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return client;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

/// The face the font system actually picked for a control's font.
std::wstring FaceDrawnFor(HWND control) {
    const ScreenDc screen;
    const Selection font(screen.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(screen.get(), LF_FACESIZE, face);
    return face;
}

class Win32LookTest : public Win32WindowFixture {
protected:
    int dpi = GetDeviceCaps(ScreenDc().get(), LOGPIXELSX);

    std::string pixels(const TwipRect& twips) const {
        const auto at = [perPixel = TwipsPerPixel(dpi)](int twips) { return PixelsFromTwips(twips, perPixel); };
        return Described({at(twips.left), at(twips.top), at(twips.left) + at(twips.width),
                          at(twips.top) + at(twips.height)});
    }
    std::filesystem::path screenshot(const std::string& name) const {
        return std::filesystem::path(VANTREL_SCREENSHOT_DIR) /
               (name + "-" + std::to_string(dpi) + "dpi.bmp");
    }
};

TEST_F(Win32LookTest, ControlsSitWhereTheirTwipsSayInTheirFonts) {
    using namespace main_form;
    open({"01-C:\\jobs\\a.txt"});
    const int up = CommandId(Command::MoveSelectedUp), add = CommandId(Command::AddScripts),
              startStop = CommandId(Command::StartStop);
    const std::pair<int, TwipRect> places[] = {
        {kPartialTitleLabelId, kPartialTitleLabel}, {kPartialTitleEditId, kPartialTitleEdit},
        {kStartsWithId, kStartsWithButton}, {kContainsId, kContainsButton},
        {CommandId(Command::Activate), kActivateButton}, {kQueueListId, kQueueList},
        {add, kAddButton}, {kQueueHeadingId, kQueueHeading},
        {CommandId(Command::RemoveSelected), kRemoveButton}, {startStop, kStartStopButton},
        {up, kMoveUpButton}, {CommandId(Command::MoveSelectedDown), kMoveDownButton},
        {kConcurrencyHeadingId, kConcurrencyHeading}, {kStatusLineId, kStatusLines[0]},
        {kStatusLineId + 1, kStatusLines[1]}, {kStatusLineId + 2, kStatusLines[2]},
    };
    for (const auto& [id, twips] : places)
        EXPECT_EQ(Described(PlaceInParent(control(id))), pixels(twips)) << "control " << id;
    // A drop-down list's height follows its font; its place and width do not.
    const std::string box = Described(PlaceInParent(control(kConcurrencyId))),
                      wanted = pixels(kConcurrencyBox);
    EXPECT_EQ(box.substr(0, box.find('x')), wanted.substr(0, wanted.find('x')));
    EXPECT_EQ(Described(ClientArea(window->handle())), pixels({0, 0, kClient.width, kClient.height}));

    for (const int id : std::initializer_list<int>{kQueueListId, add, startStop, kConcurrencyId, kStatusLineId}) {
        EXPECT_EQ(FaceDrawnFor(control(id)), L"MS Sans Serif");
        EXPECT_EQ(FontOf(control(id)).lfWeight, FW_BOLD);
        EXPECT_EQ(FontOf(control(id)).lfHeight, -std::lround(8.25 * dpi / 72));
    }
    for (const int id : std::initializer_list<int>{kPartialTitleLabelId, kStartsWithId, kContainsId,
                                                   CommandId(Command::Activate)})
        EXPECT_EQ(FontOf(control(id)).lfWeight, FW_NORMAL);
    ASSERT_TRUE(window->arrowsInSymbolFont()) << "the test display has Wingdings";
    EXPECT_EQ(FaceDrawnFor(control(up)), L"Wingdings");
    EXPECT_EQ(FontOf(control(up)).lfCharSet, SYMBOL_CHARSET);
    // U+00E1 and U+00E2, the arrows' places in the font.
    EXPECT_EQ(textOf(up) + textOf(CommandId(Command::MoveSelectedDown)), "\xC3\xA1\xC3\xA2");
    EXPECT_EQ(textOf(kConcurrencyId), "1");
    SaveScreenshot(window->handle(), screenshot("main-window"));

    HWND from = control(kQueueListId);
    std::vector<int> visited;
    for (int step = 0; step < 7; ++step)
        visited.push_back(GetDlgCtrlID(from = GetNextDlgTabItem(window->handle(), from, FALSE)));
    EXPECT_EQ(visited, (std::vector<int>{add, CommandId(Command::RemoveSelected), startStop, up,
                                         CommandId(Command::MoveSelectedDown), kConcurrencyId,
                                         kQueueListId}))
        << "Tab visits the shown controls in order";
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
    const double scale = static_cast<double>(dpi) / 96;
    for (std::size_t row = 0; row < entries.size(); ++row) {
        RECT item;
        SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
        RECT mark = Win32ListBox::MarkPlace(item, dpi);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&mark), 2);
        ASSERT_EQ(mark.right - mark.left, MulDiv(kMarkGrid, dpi, 96));
        const ScreenPixels shown(mark);
        const MarkShape shape = ProgressMarkShape(kEveryRowProgress[row]);
        EXPECT_TRUE(MissingInk(shown, mark, shape).empty()) << "row " << row << " lacks ink";
        // Beyond a grid point around the shape's strokes, only the list's background.
        const GridBox box = InkBox(shape);
        std::vector<COLORREF> look;
        for (int y = mark.top; y < mark.bottom; ++y)
            for (int x = mark.left; x < mark.right; ++x) {
                look.push_back(shown.at(x, y));
                const double gridX = (x - mark.left + 0.5) / scale, gridY = (y - mark.top + 0.5) / scale;
                const bool outside = gridX < box.left - 1 || gridX > box.right + 1 ||
                                     gridY < box.top - 1 || gridY > box.bottom + 1;
                EXPECT_TRUE(!outside || shown.at(x, y) == GetSysColor(COLOR_WINDOW))
                    << "row " << row << " at " << x - mark.left << "," << y - mark.top;
            }
        looks.insert(look);
    }
    EXPECT_EQ(looks.size(), entries.size()) << "two states look the same";
    SaveScreenshot(window->handle(), screenshot("progress-marks"));
}

TEST_F(Win32LookTest, AboutShowsTheVersionTextWithCloseFocusedAndTheLinkOverTheNotice) {
    using namespace about_form;
    open();
    std::vector<std::string> texts;
    ModalAnswerer answerer([&](HWND box, const ModalAnswerer::Seen& seen) {
        if (seen.title != "About Vantrel") return IDOK;
        texts.push_back(WindowTextOf(GetDlgItem(box, kAboutTextId)));
        texts.push_back(WindowTextOf(GetDlgItem(box, kLinkId)));
        EXPECT_EQ(GetFocus(), GetDlgItem(box, kAboutCloseId));
        for (const auto& [id, twips] : {std::pair{kAboutTextId, kAboutText}, {kLegalNoticeId, kLegalNotice},
                                        {kLinkId, kLink}, {kAboutCloseId, kCloseButton}})
            EXPECT_EQ(Described(PlaceInParent(GetDlgItem(box, id))), pixels(twips)) << "about box " << id;
        EXPECT_EQ(Described(ClientArea(box)), pixels({0, 0, kClient.width, kClient.height}));
        const LOGFONTW link = FontOf(GetDlgItem(box, kLinkId));
        EXPECT_EQ(std::wstring(link.lfFaceName), L"Times New Roman");
        EXPECT_TRUE(link.lfItalic && link.lfWeight == FW_BOLD);
        EXPECT_EQ(link.lfHeight, -std::lround(21.75 * dpi / 72));
        EXPECT_FALSE(IsWindowEnabled(window->handle()));
        SaveScreenshot(box, screenshot("about-box"));
        return IDCANCEL;  // Escape
    });
    chooseMenu(CommandId(Command::About));
    chooseMenu(CommandId(Command::About));
    const std::string about =
        AboutText(product::kName, {product::kVersionMajor, product::kVersionMinor,
                                   product::kVersionBuild, product::kVersionRevision});
    EXPECT_EQ(texts, (std::vector<std::string>{about, std::string(kMakerAddress), about,
                                               std::string(kMakerAddress)}));
    EXPECT_TRUE(IsWindowEnabled(window->handle()));
}

}  // namespace
}  // namespace vantrel::testing
