#include "PrintQt.h"

#include "Dialogs.h"
#include "QtMessages.h"
#include "SI_Typ.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>

#include <iostream>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

void LabelPrintStatus::ShowPrintStatus(const std::string& text) {
    label_->setText(Q(text));
    label_->repaint();
}

void MessageBoxPrintMessages::ShowError(const std::string& text) {
    if (TQtMessages::Headless()) {
        Dialogs::Messages().Error(text);
        return;
    }
    std::cerr << "Error: " << text << '\n'; // logged as offscreen, where no box shows
    // A box that does not hold the spooler's timer: the next run goes ahead while the operator
    // reads it. A failure whose box is still up gets no second one.
    if (!shown_.insert(text).second) {
        return;
    }
    QMessageBox* box =
        TQtMessages::MakeBox(parent_, QMessageBox::Critical, text, QMessageBox::Ok).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    QObject::connect(box, &QMessageBox::finished, box, [this, text] { shown_.erase(text); });
    box->show();
}

bool QtPrinterSetupDialog::Run(printing::PrinterChoice& choice,
                               const std::vector<std::string>& printers) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(Q(SI_Typ::LangText("Nastavení tiskárny", "Printer setup")));
    auto* combo = new QComboBox(&dialog);
    for (const std::string& name : printers) {
        combo->addItem(Q(name));
    }
    combo->setCurrentText(Q(choice.printer));
    auto* portrait = new QRadioButton(Q(SI_Typ::LangText("Na výšku", "Portrait")), &dialog);
    auto* landscape = new QRadioButton(Q(SI_Typ::LangText("Na šířku", "Landscape")), &dialog);
    (choice.landscape ? landscape : portrait)->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QFormLayout(&dialog);
    layout->addRow(Q(SI_Typ::LangText("Tiskárna:", "Printer:")), combo);
    layout->addRow(Q(SI_Typ::LangText("Orientace:", "Orientation:")), portrait);
    layout->addRow(QString(), landscape);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    choice.printer = combo->currentText().toStdString();
    choice.landscape = landscape->isChecked();
    return true;
}
