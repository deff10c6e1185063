#pragma once

#include "PrinterMenu.h"
#include "fDefTisk.h"

#include <set>
#include <string>
#include <vector>

class QLabel;
class QWidget;

// The Qt side of printing that every spooler shares: the printer set-up dialog, and the status
// label and error boxes the spooler reports through.

// InfoPrint: the text is shown at once, also while a long print blocks the window.
class LabelPrintStatus : public fDefTisk::PrintStatus {
public:
    explicit LabelPrintStatus(QLabel* label) : label_(label) {}
    void ShowPrintStatus(const std::string& text) override;

private:
    QLabel* label_;
};

// Offscreen the program's message dialogs (standard error) show it; on a screen a box of its
// own that does not wait for OK.
class MessageBoxPrintMessages : public fDefTisk::PrintMessages {
public:
    explicit MessageBoxPrintMessages(QWidget* parent) : parent_(parent) {}
    void ShowError(const std::string& text) override;

private:
    QWidget* parent_;
    std::set<std::string> shown_; // texts of the boxes up now
};

class QtPrinterSetupDialog : public printing::PrinterSetupDialog {
public:
    explicit QtPrinterSetupDialog(QWidget* parent) : parent_(parent) {}
    bool Run(printing::PrinterChoice& choice, const std::vector<std::string>& printers) override;

private:
    QWidget* parent_;
};
