#pragma once

#include <QFileDialog>
#include <QString>
#include <QWidget>

#include <optional>
#include <string>

// Asks the user for a folder. The dialogs take one so that tests can answer in place of the
// system's folder dialog.
class IFolderPicker {
public:
    virtual ~IFolderPicker() = default;
    // The folder chosen, starting from `start`; nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFolder(QWidget* parent, const std::string& title,
                                                    const std::string& start) = 0;
};

class QtFolderPicker : public IFolderPicker {
public:
    std::optional<std::string> ChooseFolder(QWidget* parent, const std::string& title,
                                            const std::string& start) override {
        const QString dir = QFileDialog::getExistingDirectory(parent, QString::fromStdString(title),
                                                              QString::fromStdString(start));
        if (dir.isEmpty()) {
            return std::nullopt;
        }
        return dir.toStdString();
    }

    static QtFolderPicker& Instance() {
        static QtFolderPicker picker;
        return picker;
    }
};
