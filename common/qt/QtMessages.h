#pragma once

#include "Dialogs.h"

#include <QMessageBox>
#include <QString>

#include <memory>

class QWidget;

// Message dialogs as Qt message boxes. Without a screen (the offscreen platform) there is no
// one to press OK, so the messages go to standard error instead of blocking the program.
class TQtMessages : public Dialogs::IMessages {
public:
    // The program's title, the title of its message boxes: each program sets its own at its
    // start; until then the program's name stands in. Kept apart from the application display
    // name, which the window system would append to every window's caption.
    static void SetApplicationTitle(const QString& title);
    static QString ApplicationTitle();
    // The box the messages show, titled with the program's title.
    static std::unique_ptr<QMessageBox> MakeBox(QWidget* parent, QMessageBox::Icon icon,
                                                const std::string& text,
                                                QMessageBox::StandardButtons buttons);
    // No screen (offscreen or minimal): messages go to standard error instead of boxes.
    static bool Headless();

    void SetParent(QWidget* parent) { parent_ = parent; }
    void Error(const std::string& text) override;
    void Info(const std::string& text) override;
    bool Confirm(const std::string& text) override;

private:
    QWidget* parent_ = nullptr;
};
