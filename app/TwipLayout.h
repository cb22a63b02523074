#pragma once

#include <QSize>
#include <QWidget>
#include <cmath>
#include <initializer_list>

namespace vantrel {

/// Where a control sits, in twips from the top-left corner of its window's client area.
struct TwipPlace {
    QWidget* control;
    int left, top, width, height;
};

/// Turns twips (1440 to the inch) into pixels of the screen a window is on.
class TwipScale {
public:
    explicit TwipScale(const QWidget& window)
        : twipsPerPixel_(kTwipsPerInch / window.logicalDpiX()) {}

    double twipsPerPixel() const { return twipsPerPixel_; }
    int pixels(int twips) const { return static_cast<int>(std::lround(twips / twipsPerPixel_)); }
    QSize size(int widthTwips, int heightTwips) const {
        return {pixels(widthTwips), pixels(heightTwips)};
    }
    void place(std::initializer_list<TwipPlace> places) const {
        for (const TwipPlace& place : places)
            place.control->setGeometry(pixels(place.left), pixels(place.top), pixels(place.width),
                                       pixels(place.height));
    }

private:
    static constexpr double kTwipsPerInch = 1440;
    double twipsPerPixel_;
};

}  // namespace vantrel
