#include "fDefTiskKom.h"

#include "KomentPozice.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr const char* Sekce = "DefTisk";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

template <typename W>
W* Named(QWidget* parent, const char* name, const char* text, const char* hint) {
    auto* w = new W(QString::fromUtf8(text), parent);
    w->setObjectName(name);
    w->setToolTip(QString::fromUtf8(hint));
    return w;
}

} // namespace

TfDefTiskKom::TfDefTiskKom(fDefTisk::TDefTisk& spooler, platform::IniFile& ini, QWidget* parent)
    : QDialog(parent), spooler_(spooler), ini_(ini) {
    setObjectName("DefTisk");
    setWindowTitle("Zpracovávat soubory");
    const char* maska = "Maska pro výběr souborů pro tisk";
    const char* cesta = "Cesta, odkud se budou brát soubory pro tisk sestav a piktogramů";
    const char* cyklus = "Cyklus odesílání tiskových úloh na tiskárnu";
    const char* maxZav = "Maximální počet závodníků v kategorii při tisku na tiskárnu";
    Label1_ = Named<QLabel>(this, "Label1", "Zpracovávat soubory", maska);
    auto* label2 = Named<QLabel>(this, "Label2", "Z adresáře", cesta);
    Edit_Cesta_ = Named<QLabel>(this, "Edit_Cesta", "", cesta);
    Edit_Maska_ = new QLineEdit(this);
    Edit_Maska_->setObjectName("Edit_Maska");
    Edit_Maska_->setToolTip(maska);
    auto* ok = Named<QPushButton>(this, "BitBtnOk", "O&K", "Nastaví nově zadané hodnoty");
    auto* storno =
        Named<QPushButton>(this, "BitBtnStorno", "&Zpět", "Nastavení nových hodnot se neprovede");
    check_Zpracovat_ = Named<QCheckBox>(
        this, "check_Zpracovat", "Provádět tisk",
        "Specifikuje, zda se bude provádět tisk na tiskárnu (z níže uvedeného adresáře)");
    Label3_ = Named<QLabel>(this, "Label3", "Cyklus (vteřin)", cyklus);
    CyklusTisku_ = new QLineEdit(this);
    CyklusTisku_->setObjectName("CyklusTisku");
    CyklusTisku_->setToolTip(cyklus);
    CyklusTisku_->setInputMask("999");
    rbPridat_ = Named<QRadioButton>(this, "rbPridat", "Přidat znak konce stránky",
                                    "Pokud na konci souboru není znak konce strany, bude doplněn");
    rbOdstranit_ =
        Named<QRadioButton>(this, "rbOdstranit", "Odstranit znak konce stránky",
                            "Pokud na konci souboru je znak konce strany, bude odstraněn");
    rbNic_ = Named<QRadioButton>(this, "rbNic", "Beze změny", "Tištěný soubor zůstane beze změny");
    auto* label4 = Named<QLabel>(this, "Label4", "Na konci souboru ", "");
    auto* labelMax =
        Named<QLabel>(this, "LabelTiskMaxZav", "Tisknout maximálně závodníků ", maxZav);
    TiskMaxZav_ = new QLineEdit(this);
    TiskMaxZav_->setObjectName("TiskMaxZav");
    TiskMaxZav_->setToolTip(maxZav);
    TiskMaxZav_->setInputMask("999");
    ok->setDefault(true);

    auto* fields = new QFormLayout;
    fields->addRow(Label1_, Edit_Maska_);
    fields->addRow(label2, Edit_Cesta_);
    fields->addRow(Label3_, CyklusTisku_);
    fields->addRow(labelMax, TiskMaxZav_);
    fields->addRow(label4, rbNic_);
    fields->addRow(QString(), rbPridat_);
    fields->addRow(QString(), rbOdstranit_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(storno);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(check_Zpracovat_);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    Label1_->installEventFilter(this);
    Label3_->installEventFilter(this);
    connect(ok, &QPushButton::clicked, this, [this] { BitBtnOkClick(); });
    connect(storno, &QPushButton::clicked, this, &QDialog::reject);
    FormPosQt::Load(ini_, Sekce, *this, Koment::PoziceOken);
}

void TfDefTiskKom::Fill() {
    shown_ = spooler_.FormActivate();
    check_Zpracovat_->setChecked(shown_.zpracovat);
    rbPridat_->setChecked(shown_.pridatFF == 1);
    rbOdstranit_->setChecked(shown_.pridatFF == -1);
    rbNic_->setChecked(shown_.pridatFF == 0);
    Edit_Cesta_->setText(Q(shown_.slozkaTisku));
    Edit_Maska_->setText(Q(shown_.maska));
    CyklusTisku_->setText(Q(shown_.cyklus));
    TiskMaxZav_->setText(Q(shown_.tiskMaxZav));
    adjustSize();
}

fDefTisk::DialogValues TfDefTiskKom::Values() const {
    fDefTisk::DialogValues v = shown_;
    v.zpracovat = check_Zpracovat_->isChecked();
    v.pridatFF = rbPridat_->isChecked() ? 1 : rbOdstranit_->isChecked() ? -1 : 0;
    v.maska = Edit_Maska_->text().toStdString();
    v.cyklus = CyklusTisku_->text().toStdString();
    v.tiskMaxZav = TiskMaxZav_->text().toStdString();
    return v;
}

void TfDefTiskKom::BitBtnOkClick() {
    if (spooler_.BitBtnOkClick(Values())) {
        accept();
    }
}

void TfDefTiskKom::showEvent(QShowEvent* event) {
    Fill();
    QDialog::showEvent(event);
}

bool TfDefTiskKom::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Label1_) {
            Edit_Maska_->setFocus();
            return true;
        }
        if (watched == Label3_) {
            CyklusTisku_->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfDefTiskKom::done(int result) {
    FormPosQt::Save(ini_, Sekce, *this, Koment::PoziceOken);
    QDialog::done(result);
}
