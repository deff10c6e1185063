#include "fRavlin.h"

#include "KomentPozice.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr const char* Sekce = "fRavlin";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TfRavlin::TfRavlin(platform::IniFile& ini, IFolderPicker& slozky, QWidget* parent)
    : QDialog(parent), ini_(ini), slozky_(slozky) {
    setObjectName("fRavlin");
    CheckDleRavlin_ = new QCheckBox(this);
    CheckDleRavlin_->setObjectName("CheckDleRavlin");
    BitBtnOK_ = new QPushButton("Ok", this);
    BitBtnOK_->setObjectName("BitBtnOK");
    BitBtnCancel_ = new QPushButton("Zpět", this);
    BitBtnCancel_->setObjectName("BitBtnCancel");
    lblPathRavlin_ = new QLabel(this);
    lblPathRavlin_->setObjectName("lblPathRavlin");
    PathRavlin_ = new QLineEdit(this);
    PathRavlin_->setObjectName("PathRavlin");
    btnVyberCestu_ = new QPushButton("Vyber cestu", this);
    btnVyberCestu_->setObjectName("btnVyberCestu");
    ErrorInfo_ = new QLabel(this);
    ErrorInfo_->setObjectName("ErrorInfo");

    auto* path = new QHBoxLayout;
    path->addWidget(lblPathRavlin_);
    path->addWidget(PathRavlin_);
    path->addWidget(btnVyberCestu_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK_);
    buttons->addWidget(BitBtnCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckDleRavlin_);
    layout->addLayout(path);
    layout->addWidget(ErrorInfo_);
    for (size_t i = 0; i < RavlinDialog::PocetVoleb; ++i) {
        chk_[i] = new QCheckBox(RavlinDialog::Volby[i].text, this);
        chk_[i]->setObjectName(RavlinDialog::Volby[i].jmeno);
        layout->addWidget(chk_[i]);
    }
    layout->addLayout(buttons);
    BitBtnCancel_->setFocus();

    connect(CheckDleRavlin_, &QCheckBox::clicked, this, [this] { Vyhodnoceni(); });
    connect(PathRavlin_, &QLineEdit::textChanged, this, [this] { Vyhodnoceni(); });
    connect(btnVyberCestu_, &QPushButton::clicked, this, [this] {
        const auto chosen = slozky_.ChooseFolder(this, "", PathRavlin_->text().toStdString());
        if (chosen) {
            PathRavlin_->setText(Q(*chosen));
        }
        Vyhodnoceni();
    });
    connect(BitBtnOK_, &QPushButton::clicked, this, [this] {
        for (size_t i = 0; i < RavlinDialog::PocetVoleb; ++i) {
            logic_.volby[i] = chk_[i]->isChecked();
        }
        logic_.BitBtnOkClick(ini_);
        accept();
    });
    connect(BitBtnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    FormPosQt::Load(ini_, Sekce, *this, Koment::PoziceOken);
}

void TfRavlin::Fill() {
    const RavlinDialog::TPopisky p = RavlinDialog::Popisky();
    setWindowTitle(Q(p.titulek));
    lblPathRavlin_->setText(Q(p.lblPathRavlin));
    lblPathRavlin_->setToolTip(Q(p.lblPathRavlinHint));
    CheckDleRavlin_->setText(Q(p.checkDleRavlin));
    logic_.FormActivate();
    CheckDleRavlin_->setChecked(logic_.podleRavlin);
    {
        const QSignalBlocker block(PathRavlin_);
        PathRavlin_->setText(Q(logic_.path));
    }
    for (size_t i = 0; i < RavlinDialog::PocetVoleb; ++i) {
        chk_[i]->setChecked(logic_.volby[i]);
    }
    Vyhodnoceni();
}

void TfRavlin::Vyhodnoceni() {
    logic_.podleRavlin = CheckDleRavlin_->isChecked();
    logic_.path = PathRavlin_->text().toStdString();
    logic_.Vyhodnoceni();
    ErrorInfo_->setText(Q(logic_.errorInfo));
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblPathRavlin_, PathRavlin_, btnVyberCestu_}) {
        w->setVisible(logic_.cestaVidet);
    }
    BitBtnOK_->setVisible(logic_.okVidet);
    for (QCheckBox* c : chk_) {
        c->setVisible(logic_.volbyVidet);
    }
}

void TfRavlin::showEvent(QShowEvent* event) {
    Fill();
    QDialog::showEvent(event);
}

void TfRavlin::done(int result) {
    FormPosQt::Save(ini_, Sekce, *this, Koment::PoziceOken);
    QDialog::done(result);
}
