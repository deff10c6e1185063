#include "QtMessages.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <iostream>

bool TQtMessages::Headless() {
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}

void TQtMessages::Error(const std::string& text) {
    if (Headless()) {
        std::cerr << "Error: " << text << '\n';
        return;
    }
    QMessageBox::critical(parent_, QGuiApplication::applicationDisplayName(),
                          QString::fromStdString(text));
}

void TQtMessages::Info(const std::string& text) {
    if (Headless()) {
        std::cerr << text << '\n';
        return;
    }
    QMessageBox::information(parent_, QGuiApplication::applicationDisplayName(),
                             QString::fromStdString(text));
}

bool TQtMessages::Confirm(const std::string& text) {
    if (Headless()) {
        std::cerr << text << " (no one to ask: no)\n";
        return false;
    }
    return QMessageBox::question(parent_, QGuiApplication::applicationDisplayName(),
                                 QString::fromStdString(text)) == QMessageBox::Yes;
}
