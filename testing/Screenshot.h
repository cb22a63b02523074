#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

namespace vantrel::testing {

/// Saves what a window shows as PNG under the build tree's screenshot folder
/// (VANTREL_SCREENSHOT_DIR), for a person to look at; true when written.
inline bool SaveScreenshot(QWidget& window, const QString& name) {
    const QDir folder(QStringLiteral(VANTREL_SCREENSHOT_DIR));
    return folder.mkpath(QStringLiteral(".")) &&
           window.grab().save(folder.filePath(name + QStringLiteral(".png")));
}

}  // namespace vantrel::testing
