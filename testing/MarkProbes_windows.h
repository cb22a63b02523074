#pragma once

#include <windows.h>

#include <cmath>
#include <vector>

#include "testing/MarkProbes.h"
#include "testing/Screenshot_windows.h"

namespace vantrel::testing {

/// The grid points of the shape's strokes that the screen does not show in
/// the shape's colour (at the pixel nearest to each, or one touching it)
/// inside `mark`, the mark's square on the screen.
inline std::vector<GridPoint> MissingInk(const ScreenPixels& shown, const RECT& mark,
                                         const MarkShape& shape) {
    const COLORREF ink = RGB(shape.colour.red, shape.colour.green, shape.colour.blue);
    const double scale = static_cast<double>(mark.right - mark.left) / kMarkGrid;
    const auto inkNear = [&](const GridPoint& point) {
        const int x = mark.left + static_cast<int>(std::lround(point.x * scale));
        const int y = mark.top + static_cast<int>(std::lround(point.y * scale));
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (shown.at(x + dx, y + dy) == ink) return true;
        return false;
    };
    std::vector<GridPoint> missing;
    for (const GridPoint& point : InkedPoints(shape))
        if (!inkNear(point)) missing.push_back(point);
    return missing;
}

}  // namespace vantrel::testing
