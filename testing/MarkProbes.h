#pragma once

#include <algorithm>
#include <vector>

#include "app/ProgressMarkShapes.h"

namespace vantrel::testing {

inline constexpr RowProgress kEveryRowProgress[] = {
    RowProgress::Waiting, RowProgress::Started,  RowProgress::Running, RowProgress::Done,
    RowProgress::Failed,  RowProgress::NotShown, RowProgress::Skipped,
};

/// Grid points a mark's strokes must cover wherever it is drawn: the middle
/// of each line and edge, a ring's four outermost points, a filled shape's centre.
inline std::vector<GridPoint> InkedPoints(const MarkShape& shape) {
    std::vector<GridPoint> inked;
    for (const MarkFigure& figure : shape.figures) {
        const auto& p = figure.points;
        if (figure.stroke == Stroke::Ring) {
            const double r = figure.radius;
            inked.insert(inked.end(), {{p[0].x - r, p[0].y}, {p[0].x + r, p[0].y},
                                       {p[0].x, p[0].y - r}, {p[0].x, p[0].y + r}});
            continue;
        }
        const bool closed = figure.stroke != Stroke::Line;
        for (std::size_t i = 0; i + (closed ? 0 : 1) < p.size(); ++i) {
            const GridPoint& next = p[(i + 1) % p.size()];
            inked.push_back({(p[i].x + next.x) / 2, (p[i].y + next.y) / 2});
        }
        if (figure.stroke == Stroke::Filled) {
            GridPoint sum{0, 0};
            for (const GridPoint& point : p) sum = {sum.x + point.x, sum.y + point.y};
            const auto count = static_cast<double>(p.size());
            inked.push_back({sum.x / count, sum.y / count});
        }
    }
    return inked;
}

/// The box in the grid that holds the mark, half the pen's width round its points.
struct GridBox {
    double left, top, right, bottom;
};
inline GridBox InkBox(const MarkShape& shape) {
    GridBox box{kMarkGrid, kMarkGrid, 0, 0};
    const double pen = shape.penWidth / 2;
    for (const MarkFigure& figure : shape.figures)
        for (const GridPoint& point : figure.points) {
            const double reach = figure.radius + pen;
            box = {std::min(box.left, point.x - reach), std::min(box.top, point.y - reach),
                   std::max(box.right, point.x + reach), std::max(box.bottom, point.y + reach)};
        }
    return box;
}

}  // namespace vantrel::testing
