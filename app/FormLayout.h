#pragma once

#include <cmath>
#include <string_view>

// Where the controls of the main window and the about box sit, in twips (1440
// to the inch) from the top-left corner of their window's client area. Both
// front ends place their controls from these tables at the screen's real
// resolution.

namespace vantrel {

struct TwipRect {
    int left, top, width, height;
};

struct TwipSize {
    int width, height;
};

inline constexpr double kTwipsPerInch = 1440;

inline double TwipsPerPixel(double dotsPerInch) { return kTwipsPerInch / dotsPerInch; }

inline int PixelsFromTwips(int twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

namespace main_form {
// The texts of the form's labels and hidden choices.
inline constexpr std::string_view kQueueHeadingText = "List of Esscmd Scripts to Execute:";
inline constexpr std::string_view kConcurrencyHeadingText = "Concurrent Calculations";
inline constexpr std::string_view kPartialTitleLabelText = "Partial Window &Title:";
inline constexpr std::string_view kStartsWithText = "&Starts With";
inline constexpr std::string_view kContainsText = "&Contains";

inline constexpr TwipSize kClient{5385, 3990};
// Hidden: the partial title and its match mode, and Activate.
inline constexpr TwipRect kPartialTitleLabel{480, 600, 1455, 195};
inline constexpr TwipRect kPartialTitleEdit{270, 450, 4335, 330};
inline constexpr TwipRect kStartsWithButton{270, 945, 1455, 240};
inline constexpr TwipRect kContainsButton{1845, 945, 1455, 240};
inline constexpr TwipRect kActivateButton{3510, 900, 1095, 330};
// Shown.
inline constexpr TwipRect kQueueList{120, 360, 4575, 2010};
inline constexpr TwipRect kAddButton{120, 3000, 855, 375};
inline constexpr TwipRect kQueueHeading{120, 120, 3375, 255};
inline constexpr TwipRect kRemoveButton{1080, 3000, 975, 375};
inline constexpr TwipRect kStartStopButton{2640, 3000, 2655, 375};
inline constexpr TwipRect kMoveUpButton{4920, 600, 375, 375};
inline constexpr TwipRect kMoveDownButton{4920, 1200, 375, 375};
inline constexpr TwipRect kConcurrencyHeading{120, 2520, 3375, 255};
inline constexpr TwipRect kConcurrencyBox{2280, 2490, 1095, 315};
// The second and third lie below the client area, out of sight.
inline constexpr TwipRect kStatusLines[3] = {
    {240, 3480, 4815, 255}, {240, 3840, 4815, 255}, {240, 4200, 4815, 255}};
/// "Running:  2 of 3", right of the concurrency box, while the run messages are off.
inline constexpr TwipRect kRunningLine{3480, 2520, 1815, 255};
}  // namespace main_form

namespace about_form {
inline constexpr TwipSize kClient{9075, 3360};
inline constexpr TwipRect kAboutText{3720, 120, 5175, 1815};
inline constexpr TwipRect kLogo{120, 360, 3465, 2445};
inline constexpr TwipRect kLegalNotice{3600, 2040, 5175, 375};
inline constexpr TwipRect kLink{3240, 2280, 5895, 615};
inline constexpr TwipRect kCloseButton{6960, 2880, 855, 375};
}  // namespace about_form

}  // namespace vantrel
