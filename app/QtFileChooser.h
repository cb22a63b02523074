#pragma once

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "queue/FileChooser.h"

namespace vantrel {

/// The queue commands' file dialogs. They open in the folder last chosen from
/// (the user's home the first time); saving over an existing file asks
/// nothing: the list simply replaces it.
class QtFileChooser : public FileChooser {
public:
    explicit QtFileChooser(QWidget& parent) : parent_(parent) {}

    std::vector<std::string> chooseScriptFiles() override {
        const QStringList files = QFileDialog::getOpenFileNames(&parent_, {}, folder_, kFilters, nullptr, kOptions);
        std::vector<std::string> paths;
        for (const QString& file : files) paths.push_back(remembered(file).toStdString());
        return paths;
    }
    std::string chooseListFileToOpen() override {
        return remembered(QFileDialog::getOpenFileName(&parent_, {}, folder_, kFilters, nullptr, kOptions))
            .toStdString();
    }
    std::string chooseListFileToSave() override {
        QString chosenFilter;
        const QString file = QFileDialog::getSaveFileName(&parent_, {}, folder_, kFilters, &chosenFilter,
                                                          kOptions | QFileDialog::DontConfirmOverwrite);
        // The dialog gives the chosen filter as it shows it.
        return remembered(WithTextExtension(file, chosenFilter.startsWith(kTextShown))).toStdString();
    }

    /// The name as saved: ".txt" added when the Text filter was chosen and
    /// the file name has no extension of its own.
    static QString WithTextExtension(const QString& file, bool textFilterChosen) {
        if (file.isEmpty() || !textFilterChosen || !QFileInfo(file).suffix().isEmpty()) return file;
        return file + QStringLiteral(".txt");
    }

private:
    // A filter's pattern is its last parenthesised group, and the dialog shows
    // the text before it. "*.*" would hide files without a dot in their name,
    // so "*.* (*.*)" is shown while "*" is what matches.
    inline static const QString kTextShown = QStringLiteral("Text (*.txt)");
    inline static const QString kFilters = kTextShown + QStringLiteral(" (*.txt);;*.* (*.*) (*)");
    static constexpr QFileDialog::Options kOptions = QFileDialog::HideNameFilterDetails;

    QString remembered(const QString& file) {
        if (!file.isEmpty()) folder_ = QFileInfo(file).absolutePath();
        return file;
    }

    QWidget& parent_;
    QString folder_ = QDir::homePath();
};

}  // namespace vantrel
