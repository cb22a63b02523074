#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace vantrel {

/// Keeps Vantrel to one window per user and X display. The first start
/// listens under a name made of both; a later start asks it to come to the
/// front instead of opening a window of its own.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    SingleInstance();

    /// True when this start is the one that runs; false when another already
    /// runs and has been asked to come to the front, so this one should end.
    bool claim();

signals:
    /// A later start asked the window to come to the front.
    void activationRequested();

private:
    bool askRunningInstance();

    QString name_;
    QLocalServer server_;
};

}  // namespace vantrel
