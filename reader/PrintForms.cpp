#include "PrintForms.h"

#include "QtMessages.h"
#include "SI_Typ.h"
#include "Tools.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void RestorePlacement(QWidget& w, platform::IniFile& ini, const char* section) {
    Tools::FormPos pos{Tools::WindowState::Normal, w.y(), w.x(), w.width(), w.height()};
    Tools::LoadFormPos(ini, section, pos);
    if (ini.ReadInteger(section, "Status", 0) != 0) {
        w.move(pos.left, pos.top);
    }
}

void StorePlacement(QWidget& w, platform::IniFile& ini, const char* section) {
    Tools::SaveFormPos(ini, section,
                       {Tools::WindowState::Normal, w.y(), w.x(), w.width(), w.height()});
}

} // namespace

DefTiskForm::DefTiskForm(fDefTisk::TDefTisk& spooler, platform::IniFile& ini, QWidget* parent,
                         IFolderPicker* picker)
    : QDialog(parent), spooler_(spooler), ini_(ini),
      picker_(picker != nullptr ? picker : &QtFolderPicker::Instance()) {
    setObjectName("DefTisk");
    setWindowTitle("Tisk");

    check_Zpracovat_ = new QCheckBox("Provádět tisk", this);
    Check_Piktogramy_ = new QCheckBox("Tisknout piktogramy", this);
    rbNic_ = new QRadioButton("Beze změny", this);
    rbPridat_ = new QRadioButton("Přidat znak konce stránky", this);
    rbOdstranit_ = new QRadioButton("Odstranit znak konce stránky", this);
    Label2_ = new QLabel("Cesta:", this);
    Edit_Cesta_ = new QLabel(this);
    folderRow_ = new QWidget(this);
    DirectoryListBox1_ = new QLineEdit(folderRow_);
    DirectoryListBox1_->setObjectName("DirectoryListBox1");
    auto* browse = new QPushButton("...", folderRow_);
    browse->setObjectName("btnSlozka");
    Label1_ = new QLabel("Maska:", this);
    edit_Maska_ = new QLineEdit(this);
    Label3_ = new QLabel("Cyklus [s]:", this);
    CyklusTisku_ = new QLineEdit(this);
    CyklusTisku_->setInputMask("999");
    LabelTiskMaxZav_ = new QLabel("Max. závodníků:", this);
    TiskMaxZav_ = new QLineEdit(this);
    BitBtnOk_ = new QPushButton("OK", this);
    BitBtnOk_->setObjectName("BitBtnOk");
    BitBtnStorno_ = new QPushButton("Storno", this);
    BitBtnStorno_->setObjectName("BitBtnStorno");
    BitBtnOk_->setDefault(true);

    // Hints are Czech in both languages.
    BitBtnOk_->setToolTip("Nastaví nově zadané hodnoty");
    BitBtnStorno_->setToolTip("Nastavení nových hodnot se neprovede");
    DirectoryListBox1_->setToolTip("Cesta, kde se budou hledat soubory pro tisk");
    browse->setToolTip("Cesta, kde se budou hledat soubory pro tisk");
    edit_Maska_->setToolTip("Maska pro výběr souborů pro tisk");
    Label1_->setToolTip("Maska pro výběr souborů pro tisk");
    check_Zpracovat_->setToolTip(
        "Specifikuje, zda se bude provádět tisk na tiskárnu (z níže uvedeného adresáře)");
    Check_Piktogramy_->setToolTip(
        "Specifikuje, zda se bude provádět tisk piktogramů (z níže uvedeného adresáře)");
    rbNic_->setToolTip("Tištěný soubor zůstane beze změny");
    rbPridat_->setToolTip("Pokud na konci souboru není znak konce strany, bude doplněn");
    rbOdstranit_->setToolTip("Pokud na konci souboru je znak konce strany, bude odstraněn");
    CyklusTisku_->setToolTip("Cyklus odesílání tiskových úloh na tiskárnu");
    Label3_->setToolTip("Cyklus odesílání tiskových úloh na tiskárnu");
    TiskMaxZav_->setToolTip("Maximální počet závodníků v kategorii při tisku na tiskárnu");
    LabelTiskMaxZav_->setToolTip("Maximální počet závodníků v kategorii při tisku na tiskárnu");
    Label2_->setToolTip("Cesta, odkud se budou brát soubory pro tisk sestav a piktogramů");
    Edit_Cesta_->setToolTip("Cesta, odkud se budou brát soubory pro tisk sestav a piktogramů");

    auto* folderLayout = new QHBoxLayout(folderRow_);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    folderLayout->addWidget(DirectoryListBox1_);
    folderLayout->addWidget(browse);

    auto* ffBox = new QGroupBox(this);
    auto* ffLayout = new QVBoxLayout(ffBox);
    ffLayout->addWidget(rbNic_);
    ffLayout->addWidget(rbPridat_);
    ffLayout->addWidget(rbOdstranit_);

    auto* fields = new QFormLayout;
    fields->addRow(Label2_, Edit_Cesta_);
    fields->addRow(folderRow_);
    fields->addRow(Label1_, edit_Maska_);
    fields->addRow(Label3_, CyklusTisku_);
    fields->addRow(LabelTiskMaxZav_, TiskMaxZav_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOk_);
    buttons->addWidget(BitBtnStorno_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(check_Zpracovat_);
    layout->addWidget(Check_Piktogramy_);
    layout->addWidget(ffBox);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    Label1_->installEventFilter(this);
    Label3_->installEventFilter(this);
    connect(BitBtnOk_, &QPushButton::clicked, this, [this] { BitBtnOkClick(); });
    connect(BitBtnStorno_, &QPushButton::clicked, this, &QDialog::reject);
    connect(Check_Piktogramy_, &QCheckBox::clicked, this,
            [this](bool ticked) { Check_PiktogramyClick(ticked); });
    connect(browse, &QPushButton::clicked, this, [this] {
        const std::optional<std::string> dir =
            picker_->ChooseFolder(this, "Cesta, kde se budou hledat soubory pro tisk",
                                  DirectoryListBox1_->text().toStdString());
        if (dir) {
            DirectoryListBox1_->setText(Q(*dir));
        }
    });

    RestorePlacement(*this, ini_, "DefTisk");
}

void DefTiskForm::Fill() {
    shown_ = spooler_.FormActivate();
    check_Zpracovat_->setChecked(shown_.zpracovat);
    Check_Piktogramy_->setChecked(shown_.piktogramy);
    rbPridat_->setChecked(shown_.pridatFF == 1);
    rbOdstranit_->setChecked(shown_.pridatFF == -1);
    rbNic_->setChecked(shown_.pridatFF == 0);
    Edit_Cesta_->setText(Q(shown_.slozkaTisku));
    DirectoryListBox1_->setText(Q(shown_.cesta));
    edit_Maska_->setText(Q(shown_.maska));
    CyklusTisku_->setText(Q(shown_.cyklus));
    TiskMaxZav_->setText(Q(shown_.tiskMaxZav));
    folderRow_->setVisible(shown_.showFolderChooser);
    Check_Piktogramy_->setVisible(shown_.showPiktogramy);
    adjustSize();
}

fDefTisk::DialogValues DefTiskForm::Values() const {
    fDefTisk::DialogValues v = shown_;
    v.zpracovat = check_Zpracovat_->isChecked();
    v.piktogramy = Check_Piktogramy_->isChecked();
    v.pridatFF = rbPridat_->isChecked() ? 1 : rbOdstranit_->isChecked() ? -1 : 0;
    v.cesta = DirectoryListBox1_->text().toStdString();
    v.maska = edit_Maska_->text().toStdString();
    v.cyklus = CyklusTisku_->text().toStdString();
    v.tiskMaxZav = TiskMaxZav_->text().toStdString();
    return v;
}

void DefTiskForm::showEvent(QShowEvent* event) {
    Fill();
    QDialog::showEvent(event);
}

bool DefTiskForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Label1_) {
            edit_Maska_->setFocus();
            return true;
        }
        if (watched == Label3_) {
            CyklusTisku_->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DefTiskForm::done(int result) {
    StorePlacement(*this, ini_, "DefTisk");
    QDialog::done(result);
}

void DefTiskForm::BitBtnOkClick() {
    if (spooler_.BitBtnOkClick(Values())) {
        accept();
    }
}

void DefTiskForm::Check_PiktogramyClick(bool ticked) {
    const bool allowed = spooler_.Check_PiktogramyClick(ticked, [](const std::string& family) {
        return QFontDatabase::families().contains(QString::fromStdString(family));
    });
    Check_Piktogramy_->setChecked(allowed);
}
