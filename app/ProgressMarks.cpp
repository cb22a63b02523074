#include "app/ProgressMarks.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <map>

namespace vantrel {

namespace {

constexpr int kSize = 16;

QPolygonF Triangle() { return QPolygonF({{4, 2.5}, {13, 8}, {4, 13.5}}); }

void Draw(QPainter& painter, RowProgress progress) {
    const QColor green(0x1e, 0x8e, 0x3e);
    switch (progress) {
        case RowProgress::Waiting:
            painter.setPen(QPen(QColor(0x9a, 0xa0, 0xa6), 1.5));
            painter.drawEllipse(QPointF(8, 8), 3.5, 3.5);
            break;
        case RowProgress::Started:
            painter.setPen(QPen(green, 1.5));
            painter.drawPolygon(Triangle());
            break;
        case RowProgress::Running:
            painter.setPen(QPen(green, 1.5));
            painter.setBrush(green);
            painter.drawPolygon(Triangle());
            break;
        case RowProgress::Done:
            painter.setPen(QPen(QColor(0x1a, 0x4f, 0xa0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(QPolygonF({{3, 8.5}, {6.5, 12}, {13, 4}}));
            break;
        case RowProgress::Failed:
        case RowProgress::NotShown:
            painter.setPen(QPen(QColor(0xc5, 0x22, 0x1f), 2.2, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(4, 4), QPointF(12, 12));
            painter.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
        case RowProgress::Skipped:
            painter.setPen(QPen(QColor(0x9a, 0xa0, 0xa6), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(QPolygonF({{3, 8.5}, {6.5, 12}, {13, 4}}));
            break;
    }
}

QIcon Drawn(RowProgress progress) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, progress);
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
