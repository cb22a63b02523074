#include "app/ProgressMarks.h"

#include <QPainter>
#include <QPixmap>
#include <map>

#include "app/ProgressMarkShapes.h"

namespace vantrel {

namespace {

QPolygonF Polygon(std::span<const GridPoint> points) {
    QPolygonF polygon;
    for (const GridPoint& point : points) polygon << QPointF(point.x, point.y);
    return polygon;
}

void Draw(QPainter& painter, const MarkShape& shape) {
    const QColor colour(shape.colour.red, shape.colour.green, shape.colour.blue);
    painter.setPen(QPen(colour, shape.penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const MarkFigure& figure : shape.figures) {
        painter.setBrush(figure.stroke == Stroke::Filled ? QBrush(colour) : Qt::NoBrush);
        const QPolygonF points = Polygon(figure.points);
        switch (figure.stroke) {
            case Stroke::Ring: painter.drawEllipse(points.front(), figure.radius, figure.radius); break;
            case Stroke::Line: painter.drawPolyline(points); break;
            case Stroke::Outline:
            case Stroke::Filled: painter.drawPolygon(points); break;
        }
    }
}

QIcon Drawn(RowProgress progress) {
    QPixmap pixmap(kMarkGrid, kMarkGrid);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, ProgressMarkShape(progress));
    return QIcon(pixmap);
}

}  // namespace

QIcon ProgressMark(RowProgress progress) {
    static std::map<RowProgress, QIcon> drawn;
    auto found = drawn.find(progress);
    if (found == drawn.end()) found = drawn.emplace(progress, Drawn(progress)).first;
    return found->second;
}

}  // namespace vantrel
