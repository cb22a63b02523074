#pragma once

#include <QListWidget>

#include "app/ProgressMarks.h"
#include "queue/ListBox.h"

namespace vantrel {

/// The core's view of the queue list widget.
class QtListBox : public ListBox {
public:
    explicit QtListBox(QListWidget& list) : list_(list) {}

    int count() const override { return list_.count(); }
    std::string text(int index) const override { return list_.item(index)->text().toStdString(); }
    void setText(int index, std::string_view text) override {
        list_.item(index)->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    void append(std::string_view text) override {
        list_.addItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    void removeAt(int index) override { delete list_.takeItem(index); }
    void clear() override { list_.clear(); }
    bool isSelected(int index) const override { return list_.item(index)->isSelected(); }
    void setSelected(int index, bool selected) override { list_.item(index)->setSelected(selected); }
    int currentIndex() const override { return list_.currentRow(); }
    void setRowProgress(int index, RowProgress progress, std::string_view tooltip) override {
        QListWidgetItem* item = list_.item(index);
        item->setIcon(ProgressMark(progress));
        // Escaped, so that a path such as "<b>x" shows as it is written.
        const QString text = QString::fromUtf8(tooltip.data(), static_cast<qsizetype>(tooltip.size()));
        item->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped()));
    }

private:
    QListWidget& list_;
};

}  // namespace vantrel
