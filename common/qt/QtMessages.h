#pragma once

#include "Dialogs.h"

class QWidget;

// Message dialogs as Qt message boxes. Without a screen (the offscreen platform) there is no
// one to press OK, so the messages go to standard error instead of blocking the program.
class TQtMessages : public Dialogs::IMessages {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void Error(const std::string& text) override;
    void Info(const std::string& text) override;
    bool Confirm(const std::string& text) override;

private:
    static bool Headless();
    QWidget* parent_ = nullptr;
};
