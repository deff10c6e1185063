#include "CisZav.h"

#include "FormPosQt.h"
#include "SI_Typ.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr const char* Sekce = "fCisZav";
constexpr int MaxDelkaCisla = 4;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string S(const QString& s) {
    return s.toStdString();
}

} // namespace

TfCisZav::TfCisZav(QWidget* parent, IFolderPicker* picker)
    : QDialog(parent), picker_(picker != nullptr ? picker : &QtFolderPicker::Instance()) {
    setObjectName("fCisZav");
    setWindowTitle("Zadej číslo závodu");

    const QString hintZavod = "Zadej číslo závodu stejné jako v Ravlin (od 1 do 9999)";
    const QString hintEtapa = "Zadej číslo etapy stejné jako v Ravlin";
    const QString hintStart = "Start 00 je třeba pouze pro načítání obsahu kontroly";
    const QString hintPorty = "Při autodetekci se budou testovat pouze zvolené porty";
    const QString hintCesta = "Zadej cestu do programu Ravlin";

    auto* Label1 = new QLabel("Číslo zpracovávaného závodu", this);
    Label1->setToolTip(hintZavod);
    VstupCisZav_ = new QLineEdit(this);
    VstupCisZav_->setObjectName("VstupCisZav");
    VstupCisZav_->setMaxLength(MaxDelkaCisla);
    VstupCisZav_->setToolTip(hintZavod);
    auto* Label2 =
        new QLabel("Snímaná data se budou načítat jen do závodu s tímto číslem a etapou !!!", this);

    auto* lblEtapa = new QLabel("Etapa", this);
    lblEtapa->setToolTip(hintEtapa);
    txtEtapa_ = new QLineEdit(this);
    txtEtapa_->setObjectName("txtEtapa");
    txtEtapa_->setToolTip(hintEtapa);
    auto* lblStart00 = new QLabel("Start 00", this);
    lblStart00->setToolTip(hintStart);
    txtStart00_ = new QLineEdit(this);
    txtStart00_->setObjectName("txtStart00");
    txtStart00_->setToolTip(hintStart);
    // hh:mm with the colon in place; the first hour digit may stay blank.
    txtStart00_->setInputMask("09:99; ");
    auto* lblComDisplay = new QLabel("COM pro display", this);
    txtComProDisplay_ = new QLineEdit(this);
    txtComProDisplay_->setObjectName("txtComProDisplay");
    // Two digits, blanks allowed as the field shows " 3".
    for (QLineEdit* e : {txtEtapa_, txtComProDisplay_}) {
        e->setMaxLength(2);
        e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9 ]*"), e));
    }
    for (QLineEdit* e : {VstupCisZav_, txtEtapa_, txtStart00_, txtComProDisplay_}) {
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance("00000000"));
    }

    auto* LabelPovolenePorty = new QLabel("Povolené porty", this);
    LabelPovolenePorty->setToolTip(hintPorty);
    auto* portyLayout = new QGridLayout;
    portyLayout->setHorizontalSpacing(4);
    for (int n = 1; n <= CisZav::PocetPortu; ++n) {
        auto* box = new QCheckBox(QString::number(n), this);
        box->setObjectName(QString("Port%1").arg(n));
        box->setToolTip(hintPorty);
        // 1..10 in the first row, 11..18 in the second.
        portyLayout->addWidget(box, n <= 10 ? 0 : 1, n <= 10 ? n - 1 : n - 11);
        porty_[static_cast<size_t>(n)] = box;
    }

    CheckBoxRavlin_ = new QCheckBox("Nastavit dle programu Ravlin", this);
    CheckBoxRavlin_->setObjectName("CheckBoxRavlin");
    CheckBoxRavlin_->setToolTip("Při této volbě se při spuštění programu Cardvane provede "
                                "nastavení parametrů dle nastavení programu Ravlin");

    slozka_ = new QWidget(this);
    auto* LabelCestaRavlin = new QLabel("Cesta do programu Ravlin", slozka_);
    LabelCestaRavlin->setToolTip(hintCesta);
    txtCestaRavlin_ = new QLabel(slozka_);
    txtCestaRavlin_->setObjectName("txtCestaRavlin");
    txtCestaRavlin_->setToolTip(hintCesta);
    txtCestaRavlin_->setFrameShape(QFrame::StyledPanel);
    txtCestaRavlin_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    txtCestaRavlin_->setMinimumWidth(300);
    auto* DirectoryListBox1 = new QPushButton("Změnit...", slozka_);
    DirectoryListBox1->setObjectName("DirectoryListBox1");
    DirectoryListBox1->setToolTip(hintCesta);
    auto* slozkaRadek = new QHBoxLayout;
    slozkaRadek->addWidget(txtCestaRavlin_, 1);
    slozkaRadek->addWidget(DirectoryListBox1);
    auto* slozkaLayout = new QVBoxLayout(slozka_);
    slozkaLayout->setContentsMargins(0, 0, 0, 0);
    slozkaLayout->addWidget(LabelCestaRavlin);
    slozkaLayout->addLayout(slozkaRadek);

    BitBtnOk_ = new QPushButton("OK", this);
    BitBtnOk_->setObjectName("BitBtnOk");
    BitBtnOk_->setDefault(true);
    BitBtnCancel_ = new QPushButton("Storno", this);
    BitBtnCancel_->setObjectName("BitBtnCancel");

    auto* pole = new QGridLayout;
    pole->addWidget(Label1, 0, 0);
    pole->addWidget(VstupCisZav_, 0, 1);
    pole->addWidget(lblEtapa, 1, 0);
    pole->addWidget(txtEtapa_, 1, 1);
    pole->addWidget(Label2, 2, 0, 1, 3);
    pole->addWidget(lblStart00, 3, 0);
    pole->addWidget(txtStart00_, 3, 1);
    pole->addWidget(lblComDisplay, 4, 0);
    pole->addWidget(txtComProDisplay_, 4, 1);
    pole->addWidget(LabelPovolenePorty, 5, 0, Qt::AlignTop);
    pole->addLayout(portyLayout, 5, 1, 1, 2);
    pole->setColumnStretch(2, 1);

    auto* tlacitka = new QHBoxLayout;
    tlacitka->addStretch();
    tlacitka->addWidget(BitBtnOk_);
    tlacitka->addWidget(BitBtnCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pole);
    layout->addWidget(CheckBoxRavlin_);
    layout->addWidget(slozka_);
    layout->addLayout(tlacitka);
    // The dialog ends below what is shown: it shrinks when the folder is hidden.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtnOk_, &QPushButton::clicked, this, [this] { BitBtnOkClick(); });
    connect(BitBtnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(CheckBoxRavlin_, &QCheckBox::clicked, this,
            [this](bool checked) { CheckBoxRavlinClick(checked); });
    connect(DirectoryListBox1, &QPushButton::clicked, this, [this] { ChooseFolder(); });

    if (SI_Typ::IniNastaveni) {
        FormPosQt::Load(*SI_Typ::IniNastaveni, Sekce, *this);
    }
}

void TfCisZav::Fill() {
    const CisZav::TPole& p = logic_.pole;
    const bool editovatelny = logic_.ZavodEditovatelny();
    // A number from Ravlin.inf is shown whole, so that a wrong one is seen as it is.
    VstupCisZav_->setMaxLength(editovatelny ? MaxDelkaCisla : 32767);
    VstupCisZav_->setText(Q(p.cisZav));
    txtEtapa_->setText(Q(p.etapa));
    txtStart00_->setText(Q(p.start00));
    txtComProDisplay_->setText(Q(p.comProDisplay));
    for (QLineEdit* e : {VstupCisZav_, txtEtapa_, txtStart00_}) {
        e->setReadOnly(!editovatelny);
        e->setEnabled(editovatelny);
    }
    for (int n = 1; n <= CisZav::PocetPortu; ++n) {
        porty_[static_cast<size_t>(n)]->setChecked(p.povolen[static_cast<size_t>(n)]);
    }
    CheckBoxRavlin_->setChecked(p.podleRavlin);
    txtCestaRavlin_->setText(Q(p.cestaRavlin));
    slozka_->setVisible(logic_.SlozkaViditelna());
    // The dialog ends below what is shown: shrink at once, not only on the next event.
    layout()->activate();
}

void TfCisZav::Collect() {
    CisZav::TPole& p = logic_.pole;
    if (logic_.ZavodEditovatelny()) {
        p.cisZav = S(VstupCisZav_->text());
        p.etapa = S(txtEtapa_->text());
        p.start00 = S(txtStart00_->text());
    }
    p.comProDisplay = S(txtComProDisplay_->text());
    for (int n = 1; n <= CisZav::PocetPortu; ++n) {
        p.povolen[static_cast<size_t>(n)] = porty_[static_cast<size_t>(n)]->isChecked();
    }
}

void TfCisZav::showEvent(QShowEvent* event) {
    logic_.FormActivate();
    Fill();
    QDialog::showEvent(event);
}

void TfCisZav::done(int result) {
    if (SI_Typ::IniNastaveni) {
        FormPosQt::Save(*SI_Typ::IniNastaveni, Sekce, *this);
    }
    QDialog::done(result);
}

void TfCisZav::BitBtnOkClick() {
    Collect();
    const bool ok = logic_.BitBtnOkClick();
    Fill();
    if (ok) {
        accept();
    }
}

void TfCisZav::CheckBoxRavlinClick(bool checked) {
    Collect();
    logic_.CheckBoxRavlinClick(checked);
    Fill();
}

void TfCisZav::ChooseFolder() {
    const auto folder =
        picker_->ChooseFolder(this, "Cesta do programu Ravlin", logic_.pole.cestaRavlin);
    if (!folder) {
        return;
    }
    Collect();
    logic_.ZvolSlozku(*folder);
    Fill();
}
