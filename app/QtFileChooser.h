#pragma once

#include <QFileDialog>
#include <QStringList>

#include "queue/FileChooser.h"

namespace vantrel {

/// The queue commands' file dialogs. No title or starting folder is set, and
/// saving over an existing file asks nothing: the list simply replaces it.
class QtFileChooser : public FileChooser {
public:
    explicit QtFileChooser(QWidget& parent) : parent_(parent) {}

    std::vector<std::string> chooseScriptFiles() override {
        std::vector<std::string> paths;
        for (const QString& file : QFileDialog::getOpenFileNames(&parent_, {}, {}, filter()))
            paths.push_back(file.toStdString());
        return paths;
    }
    std::string chooseListFileToOpen() override {
        return QFileDialog::getOpenFileName(&parent_, {}, {}, filter()).toStdString();
    }
    std::string chooseListFileToSave() override {
        return QFileDialog::getSaveFileName(&parent_, {}, {}, filter(), nullptr,
                                            QFileDialog::DontConfirmOverwrite)
            .toStdString();
    }

private:
    static QString filter() { return QStringLiteral("Text (*.txt);;*.* (*.*)"); }

    QWidget& parent_;
};

}  // namespace vantrel
