#include "fDefTabule.h"

#include "KomentPozice.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr const char* Sekce = "DefTabule";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TDefTabule::TDefTabule(platform::IniFile& ini, Koment::TNastaveni& nastaveni, IFolderPicker& slozky,
                       QWidget* parent)
    : QDialog(parent), ini_(ini), nastaveni_(nastaveni), slozky_(slozky) {
    setObjectName("DefTabule");
    setWindowTitle("Vytvářet soubor pro Info tabuli");
    check_ = new QCheckBox("Vytvářet soubor", this);
    check_->setToolTip("Specifikuje, zda se bude vytvářet soubor pro informační tabuli");
    soubor_ = new QLineEdit(this);
    soubor_->setToolTip("Název vytvářeného souboru");
    // The drive box and folder list of old are one folder edit with its chooser here.
    slozka_ = new QLineEdit(this);
    slozka_->setToolTip("Cesta, kde se bude soubor vytvářet");
    auto* label = new QLabel("Cesta", this);
    label->setToolTip("Cesta vytvářeného souboru");
    auto* choose = new QPushButton("...", this);
    choose->setToolTip("Disk, kde se bude soubor vytvářet");
    auto* ok = new QPushButton("OK", this);
    ok->setToolTip("Nastaví nově zadané hodnoty");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Zpět", this);
    cancel->setToolTip("Nastavení nových hodnot se neprovede");

    auto* folder = new QHBoxLayout;
    folder->addWidget(slozka_);
    folder->addWidget(choose);
    auto* fields = new QFormLayout;
    fields->addRow(check_);
    fields->addRow(QString("Soubor"), soubor_);
    fields->addRow(label, folder);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(choose, &QPushButton::clicked, this, [this] {
        if (const auto chosen = slozky_.ChooseFolder(this, "", slozka_->text().toStdString())) {
            slozka_->setText(Q(*chosen));
        }
    });
    connect(ok, &QPushButton::clicked, this, [this] { BitBtnOkClick(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    Koment::NactiInfoTab(ini_, nastaveni_);
    FormPosQt::Load(ini_, Sekce, *this, Koment::PoziceOken);
}

void TDefTabule::Fill() {
    check_->setChecked(nastaveni_.VytvaretInfoTab);
    soubor_->setText(Q(nastaveni_.SouborInfoTab));
    slozka_->setText(Q(nastaveni_.CestaInfoTab));
}

void TDefTabule::BitBtnOkClick() {
    nastaveni_.VytvaretInfoTab = check_->isChecked();
    nastaveni_.SouborInfoTab = soubor_->text().toStdString();
    nastaveni_.CestaInfoTab = slozka_->text().toStdString();
    Koment::UlozInfoTab(ini_, nastaveni_);
    accept();
}

void TDefTabule::showEvent(QShowEvent* event) {
    Fill();
    QDialog::showEvent(event);
}

void TDefTabule::done(int result) {
    FormPosQt::Save(ini_, Sekce, *this, Koment::PoziceOken);
    QDialog::done(result);
}
