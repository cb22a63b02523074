#pragma once

#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

/// The full paths of the local files and folders a drag carries, in its order.
inline std::vector<std::string> LocalFilePaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

/// Makes a widget a drop target for local files and folders only, and hands
/// each drop's paths on. Lives as long as the widget.
class LocalFileDrops : public QObject {
public:
    using Handler = std::function<void(const std::vector<std::string>&)>;

    LocalFileDrops(QWidget& target, Handler onDrop) : QObject(&target), onDrop_(std::move(onDrop)) {
        target.setAcceptDrops(true);
        target.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
                offer(*static_cast<QDragMoveEvent*>(event));
                return true;
            case QEvent::Drop:
                take(*static_cast<QDropEvent*>(event));
                return true;
            default:
                return false;
        }
    }

private:
    static void offer(QDragMoveEvent& drag) {
        if (LocalFilePaths(drag.mimeData()).empty())
            drag.ignore();
        else
            drag.acceptProposedAction();
    }

    void take(QDropEvent& drop) {
        std::vector<std::string> paths = LocalFilePaths(drop.mimeData());
        if (paths.empty()) return drop.ignore();
        drop.acceptProposedAction();
        // Handled once the drop is over, so that a message box the handler
        // may show does not keep the dragging program waiting.
        QMetaObject::invokeMethod(
            this, [this, paths = std::move(paths)] { onDrop_(paths); }, Qt::QueuedConnection);
    }

    Handler onDrop_;
};

}  // namespace vantrel
