#include "QtMessages.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <iostream>

namespace {
QString& Title() {
    static QString title;
    return title;
}
} // namespace

void TQtMessages::SetApplicationTitle(const QString& title) {
    Title() = title;
}

QString TQtMessages::ApplicationTitle() {
    return Title().isEmpty() ? QCoreApplication::applicationName() : Title();
}

std::unique_ptr<QMessageBox> TQtMessages::MakeBox(QWidget* parent, QMessageBox::Icon icon,
                                                  const std::string& text,
                                                  QMessageBox::StandardButtons buttons) {
    return std::make_unique<QMessageBox>(icon, ApplicationTitle(), QString::fromStdString(text),
                                         buttons, parent);
}

bool TQtMessages::Headless() {
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}

void TQtMessages::Error(const std::string& text) {
    if (Headless()) {
        std::cerr << "Error: " << text << '\n';
        return;
    }
    MakeBox(parent_, QMessageBox::Critical, text, QMessageBox::Ok)->exec();
}

void TQtMessages::Info(const std::string& text) {
    if (Headless()) {
        std::cerr << text << '\n';
        return;
    }
    MakeBox(parent_, QMessageBox::Information, text, QMessageBox::Ok)->exec();
}

bool TQtMessages::Confirm(const std::string& text) {
    if (Headless()) {
        std::cerr << text << " (no one to ask: no)\n";
        return false;
    }
    return MakeBox(parent_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No)
               ->exec() == QMessageBox::Yes;
}
