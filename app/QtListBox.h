#pragma once

#include <QByteArray>
#include <QListWidget>

#include "app/ProgressMarks.h"
#include "queue/ListBox.h"

namespace vantrel {

/// The core's view of the queue list widget. Each item keeps its entry text
/// byte for byte beside what it shows: a name that is not UTF-8 shows with
/// replacement characters, yet keeps naming its own key in the store.
class QtListBox : public ListBox {
public:
    explicit QtListBox(QListWidget& list) : list_(list) {}

    int count() const override { return list_.count(); }
    std::string text(int index) const override {
        return list_.item(index)->data(kEntryBytesRole).toByteArray().toStdString();
    }
    void setText(int index, std::string_view text) override { show(*list_.item(index), text); }
    void append(std::string_view text) override {
        auto* item = new QListWidgetItem;
        show(*item, text);
        list_.addItem(item);
    }
    void removeAt(int index) override { delete list_.takeItem(index); }
    void clear() override { list_.clear(); }
    bool isSelected(int index) const override { return list_.item(index)->isSelected(); }
    void setSelected(int index, bool selected) override {
        list_.item(index)->setSelected(selected);
    }
    int currentIndex() const override { return list_.currentRow(); }
    void setRowProgress(int index, RowProgress progress, std::string_view tooltip) override {
        QListWidgetItem* item = list_.item(index);
        item->setIcon(ProgressMark(progress));
        // Escaped, so that a path such as "<b>x" shows as it is written.
        const QString text = QString::fromUtf8(tooltip.data(), static_cast<qsizetype>(tooltip.size()));
        item->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped()));
    }

private:
    static constexpr int kEntryBytesRole = Qt::UserRole;

    static void show(QListWidgetItem& item, std::string_view text) {
        const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
        item.setText(QString::fromUtf8(bytes));
        item.setData(kEntryBytesRole, bytes);
    }

    QListWidget& list_;
};

}  // namespace vantrel
