#pragma once

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace vantrel {

/// Draws a dotted rectangle round the current row while the list has the
/// keyboard focus, whatever the style draws, so a keyboard user sees where
/// the arrows and the space bar act. Lives as long as the list.
class FocusedRowDelegate : public QStyledItemDelegate {
public:
    explicit FocusedRowDelegate(QAbstractItemView& view) : QStyledItemDelegate(&view), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!view_.hasFocus() || index != view_.currentIndex()) return;
        painter->save();
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->setPen(QPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 1,
                             Qt::DotLine));
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

private:
    QAbstractItemView& view_;
};

}  // namespace vantrel
