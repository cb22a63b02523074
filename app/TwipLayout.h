#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>
#include <initializer_list>

#include "app/FormLayout.h"

namespace vantrel {

/// A control and its place from the form's twips table.
struct TwipPlace {
    QWidget* control;
    TwipRect twips;
};

/// Turns twips into pixels of the screen a window is on.
class TwipScale {
public:
    explicit TwipScale(const QWidget& window)
        : twipsPerPixel_(TwipsPerPixel(window.logicalDpiX())) {}

    double twipsPerPixel() const { return twipsPerPixel_; }
    int pixels(int twips) const { return PixelsFromTwips(twips, twipsPerPixel_); }
    QSize size(TwipSize twips) const { return {pixels(twips.width), pixels(twips.height)}; }
    QRect rect(TwipRect twips) const {
        return {pixels(twips.left), pixels(twips.top), pixels(twips.width), pixels(twips.height)};
    }
    void place(std::initializer_list<TwipPlace> places) const {
        for (const auto& [control, twips] : places) control->setGeometry(rect(twips));
    }

private:
    double twipsPerPixel_;
};

}  // namespace vantrel
