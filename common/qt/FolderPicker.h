#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QString>
#include <QWidget>

#include <optional>
#include <string>

// Asks the user for an existing folder. The dialogs take one so that tests can answer in place
// of the folder dialog.
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
        QFileDialog dialog(parent, QString::fromStdString(title), QString::fromStdString(start));
        dialog.setFileMode(QFileDialog::Directory);
        // Every caller chooses a folder that exists: the dialog is Qt's own, whose button and
        // menu item for a new folder can be taken away (a system's chooser always offers one).
        dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly |
                          QFileDialog::DontUseNativeDialog);
        for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>("newFolderButton")) {
            b->hide();
        }
        for (QAction* a : dialog.findChildren<QAction*>("qt_new_folder_action")) {
            a->setVisible(false);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().constFirst().toStdString();
    }

    static QtFolderPicker& Instance() {
        static QtFolderPicker picker;
        return picker;
    }
};
