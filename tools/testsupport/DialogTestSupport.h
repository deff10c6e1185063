#pragma once

// Helpers for the tests of any program's dialogs: message boxes and folder pickers that answer
// at once, finding and clicking a dialog's controls by name, and pictures for a look by eye.
// Header only: the test programs that use it link Qt Widgets and the shared Qt layer.

#include "Dialogs.h"
#include "FolderPicker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct RecordingMessages : Dialogs::IMessages {
    std::vector<std::string> errors;
    void Error(const std::string& text) override { errors.push_back(text); }
    void Info(const std::string&) override {}
    bool Confirm(const std::string&) override { return true; }
};

struct FakePicker : IFolderPicker {
    std::optional<std::string> answer;
    std::string offered;
    std::optional<std::string> ChooseFolder(QWidget*, const std::string&,
                                            const std::string& start) override {
        offered = start;
        return answer;
    }
};

template <typename T> T* Child(QWidget& w, const char* name) {
    T* child = w.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

inline void Click(QWidget& w, const char* name) {
    if (auto* b = Child<QAbstractButton>(w, name)) {
        b->click();
    }
}

// Runs `answer` on the modal dialog the next command opens, from inside its loop; the answer
// ends the dialog.
inline void OnNextModal(std::function<void(QDialog&)> answer) {
    QTimer::singleShot(0, [answer = std::move(answer)] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            answer(*d);
        }
    });
}

// Renders a window into a PNG for a look by eye, into the folder DIALOG_PICTURES names (no
// picture without it).
inline void SavePicture(QWidget& w, const std::string& file) {
    const QString folder = qEnvironmentVariable("DIALOG_PICTURES");
    if (!folder.isEmpty()) {
        w.grab().save(folder + "/" + QString::fromStdString(file));
    }
}

} // namespace testsupport
