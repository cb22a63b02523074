#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace vantrel {

/// Keeps Vantrel to one window per user and X display. The first start
/// listens under a name made of both; a later start hands its request to it
/// (come to the front, or start the run) instead of opening a window of its own.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    /// Answers a later start's request; the answer goes back to it.
    using Handler = std::function<std::string(const std::string& request)>;

    SingleInstance();

    /// Nothing when this start is the one that runs; else the running one's
    /// answer to the request, and this one should end.
    std::optional<std::string> claim(const std::string& request);
    void setHandler(Handler handler) { handler_ = std::move(handler); }

private:
    std::optional<std::string> askRunningInstance(const std::string& request);

    QString name_;
    QLocalServer server_;
    Handler handler_;
};

}  // namespace vantrel
