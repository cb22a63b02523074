#pragma once

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QMetaObject>

namespace vantrel {

/// Keeps a list without a current row until the user picks one. Qt makes the
/// first row current when the list gets the focus from the keyboard or from
/// the window's activation; Remove must then still say that no script has
/// been picked. Lives as long as the list.
class NoCurrentRowFromFocus : public QObject {
public:
    explicit NoCurrentRowFromFocus(QAbstractItemView& view) : QObject(&view), view_(view) {
        view.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // A click picks its own row right after the focus comes.
        if (event->type() == QEvent::FocusIn && !view_.currentIndex().isValid() &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
            QMetaObject::invokeMethod(
                this, [this] { clearCurrentRow(); }, Qt::QueuedConnection);
        return false;
    }

private:
    void clearCurrentRow() {
        view_.selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }

    QAbstractItemView& view_;
};

}  // namespace vantrel
