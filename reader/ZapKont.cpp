#include "ZapKont.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TfZapKont::TfZapKont(int tag, QWidget* parent) : QDialog(parent), logic_(tag) {
    setObjectName("fZapKont");
    setWindowTitle("Zápis obsahu kontroly do souboru");

    auto* Label1 = new QLabel("Zadej číslo kontroly :", this);
    CisloKontroly_ = new QLineEdit(this);
    CisloKontroly_->setObjectName("CisloKontroly");
    CisloKontroly_->setMaxLength(4);
    // Digits only: the number becomes part of a file name.
    CisloKontroly_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), CisloKontroly_));
    CisloKontroly_->setMaximumWidth(CisloKontroly_->fontMetrics().horizontalAdvance("00000000"));
    auto* Label2 = new QLabel("Výstupní soubor :", this);
    VystSoubor_ = new QLabel(this);
    VystSoubor_->setObjectName("VystSoubor");
    VystSoubor_->setMinimumWidth(300);
    VystSoubor_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    BitBtnOk_ = new QPushButton("OK", this);
    BitBtnOk_->setObjectName("BitBtnOk");
    BitBtnOk_->setDefault(true);
    BitBtnCancel_ = new QPushButton("Storno", this);
    BitBtnCancel_->setObjectName("BitBtnCancel");

    auto* pole = new QGridLayout;
    pole->addWidget(Label1, 0, 0);
    pole->addWidget(CisloKontroly_, 0, 1, Qt::AlignLeft);
    pole->addWidget(Label2, 1, 0);
    pole->addWidget(VystSoubor_, 1, 1);
    pole->setColumnStretch(1, 1);

    auto* tlacitka = new QHBoxLayout;
    tlacitka->addStretch();
    tlacitka->addWidget(BitBtnOk_);
    tlacitka->addWidget(BitBtnCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pole);
    layout->addLayout(tlacitka);

    connect(CisloKontroly_, &QLineEdit::textChanged, this, [this](const QString& text) {
        logic_.CisloKontrolyChange(text.toStdString());
        VystSoubor_->setText(QString::fromStdString(logic_.VystSoubor()));
    });
    connect(BitBtnOk_, &QPushButton::clicked, this, [this] { BitBtnOkClick(); });
    connect(BitBtnCancel_, &QPushButton::clicked, this, [this] { BitBtnCancelClick(); });
}

void TfZapKont::showEvent(QShowEvent* event) {
    CisloKontroly_->clear();
    logic_.FormActivate();
    VystSoubor_->setText(QString::fromStdString(logic_.VystSoubor()));
    CisloKontroly_->setFocus();
    QDialog::showEvent(event);
}

// Escape is the Cancel button; the window's close box keeps the file named so far.
void TfZapKont::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        BitBtnCancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfZapKont::BitBtnOkClick() {
    if (logic_.BitBtnOkClick()) {
        accept();
    }
}

void TfZapKont::BitBtnCancelClick() {
    logic_.BitBtnCancelClick();
    reject();
}
