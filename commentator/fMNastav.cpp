#include "fMNastav.h"

#include "KomentPozice.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr const char* Sekce = "fMNastav";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QLineEdit* Cislo(QWidget* parent, const char* name, int digits) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    // Digits and blanks only, as many as the field takes.
    e->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString("[0-9 ]{0,%1}").arg(digits)), e));
    return e;
}

constexpr std::array<const char*, MNastav::PocetRadku> CheckNames = {
    "checkFile1", "checkFile2", "checkFile3",      "checkFile4",
    "CheckRACOM", "CheckAlgeF", "CheckAlgeFRucne", "CheckAlgeStart"};
constexpr std::array<const char*, MNastav::PocetRadku> EditNames = {
    "txtFile1_FN", "txtFile2_FN", "txtFile3_FN",      "txtFile4_FN",
    "txtRacom_FN", "txtAlgeF_FN", "txtAlgeF_FNRucne", "txtAlgeStart_FN"};
constexpr std::array<const char*, MNastav::PocetRadku> ButtonNames = {
    "btnVyberSouborFile1",      "btnVyberSouborFile2",    "btnVyberSouborFile3",
    "btnVyberSouborFile4",      "btnVyberSouborRacom",    "btnVyberSouborAlgeF",
    "btnVyberSouborAlgeFRucne", "btnVyberSouborAlgeStart"};

} // namespace

std::optional<std::string> QtFilePicker::ChooseFile(QWidget* parent, const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& start) {
    // "desc|*.a;*.b" in the system's own form "desc (*.a *.b)".
    const size_t bar = filter.find('|');
    QString patterns = Q(bar == std::string::npos ? filter : filter.substr(bar + 1));
    patterns.replace(';', ' ');
    const QString name = QFileDialog::getOpenFileName(
        parent, Q(title), Q(start), Q(filter.substr(0, bar)) + " (" + patterns + ")");
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name.toStdString();
}

QtFilePicker& QtFilePicker::Instance() {
    static QtFilePicker picker;
    return picker;
}

TfMNastav::TfMNastav(platform::IniFile& ini, TVstupniSoubory& zdroje, Dialogs::IMessages& zpravy,
                     MNastav::TNapojeni napojeni, IFolderPicker& slozky, IFilePicker& soubory,
                     QWidget* parent)
    : QDialog(parent), ini_(ini), logic_(ini, zdroje, zpravy, std::move(napojeni)), slozky_(slozky),
      soubory_(soubory) {
    setObjectName("fMNastav");
    auto* grid = new QGridLayout;
    int row = 0;
    const auto field = [&](const char* label, QWidget* w) {
        auto* l = new QLabel(this);
        l->setObjectName(label);
        grid->addWidget(l, row, 0);
        grid->addWidget(w, row, 1);
        ++row;
    };
    txtCisloZavodu_ = Cislo(this, "txtCisloZavodu", 4);
    field("lblCisZav", txtCisloZavodu_);
    txtEtapa_ = Cislo(this, "txtEtapa", 1);
    field("LblEtapa", txtEtapa_);
    txtStart00_ = new QLineEdit(this);
    txtStart00_->setObjectName("txtStart00");
    // hh:mm, the first hour digit optional; a one-digit hour shows with a blank before it.
    txtStart00_->setInputMask("09:99");
    field("lblStart00", txtStart00_);
    MaxPoradi_ = Cislo(this, "MaxPoradi", 4);
    field("LabelMaxPoradi", MaxPoradi_);
    txtMaxVHlavnimOkne_ = Cislo(this, "txtMaxVHlavnimOkne", 3);
    field("labelMaxVHlavnimOkne", txtMaxVHlavnimOkne_);
    txtIntervalNacitani_ = Cislo(this, "txtIntervalNacitani", 4);
    field("labelIntervalNacitani", txtIntervalNacitani_);
    auto* starts = new QWidget(this);
    auto* startsLayout = new QHBoxLayout(starts);
    startsLayout->setContentsMargins(0, 0, 0, 0);
    for (size_t i = 0; i < 4; ++i) {
        const std::string name = "txtCisloStartu" + std::to_string(i + 1);
        txtCisloStartu_[i] = Cislo(starts, name.c_str(), 2);
        startsLayout->addWidget(txtCisloStartu_[i]);
    }
    field("LabelCisloStartu", starts);
    CheckBoxBranka_ = new QCheckBox(this);
    CheckBoxBranka_->setObjectName("CheckBoxBranka");
    grid->addWidget(CheckBoxBranka_, row++, 1);
    txtCisloSberky_ = Cislo(this, "txtCisloSberky", 3);
    field("LabelCisloSberky", txtCisloSberky_);
    txtIntervalDivak_ = Cislo(this, "txtIntervalDivak", 2);
    field("LabelIntervalDivak", txtIntervalDivak_);
    txtPocetRadDivak_ = Cislo(this, "txtPocetRadDivak", 2);
    field("labelPocetRadDivak", txtPocetRadDivak_);
    txtPocetSloupcuDivak_ = Cislo(this, "txtPocetSloupcuDivak", 2);
    field("LabelPocetSloupcuDivak", txtPocetSloupcuDivak_);
    CheckDesetiny_ = new QCheckBox(this);
    CheckDesetiny_->setObjectName("CheckDesetiny");
    grid->addWidget(CheckDesetiny_, row++, 1);
    ComboDruhZavodu_ = new QComboBox(this);
    ComboDruhZavodu_->setObjectName("ComboDruhZavodu");
    grid->addWidget(ComboDruhZavodu_, row++, 1);

    auto* sources = new QGridLayout;
    for (size_t r = 0; r < MNastav::PocetRadku; ++r) {
        check_[r] = new QCheckBox(this);
        check_[r]->setObjectName(CheckNames[r]);
        edit_[r] = new QLineEdit(this);
        edit_[r]->setObjectName(EditNames[r]);
        button_[r] = new QPushButton(this);
        button_[r]->setObjectName(ButtonNames[r]);
        const int y = static_cast<int>(r);
        sources->addWidget(check_[r], y, 0);
        sources->addWidget(edit_[r], y, 1);
        sources->addWidget(button_[r], y, 2);
        connect(check_[r], &QCheckBox::clicked, this, [this, r](bool on) {
            logic_.CheckClick(r, on);
            edit_[r]->setVisible(logic_.radky[r].editVidet);
            button_[r]->setVisible(logic_.radky[r].tlacitkoVidet);
        });
        connect(button_[r], &QPushButton::clicked, this, [this, r] { Vyber(r); });
    }

    auto* ok = new QPushButton(this);
    ok->setObjectName("BitBtnOk");
    ok->setDefault(true);
    auto* cancel = new QPushButton(this);
    cancel->setObjectName("BitBtnCancel");
    connect(ok, &QPushButton::clicked, this, [this] { BitBtnOkClick(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        logic_.BitBtnCancelClick();
        reject();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(sources);
    layout->addLayout(buttons);
    FormPosQt::Load(ini_, Sekce, *this, Koment::PoziceOken);
}

void TfMNastav::Fill() {
    setWindowTitle(Q(MNastav::Titulek()));
    ComboDruhZavodu_->clear();
    for (const std::string& item : MNastav::DruhyZavodu()) {
        ComboDruhZavodu_->addItem(Q(item));
    }
    for (const MNastav::TPopisek& p : MNastav::Popisky()) {
        auto* w = findChild<QWidget*>(Q(p.jmeno));
        if (w == nullptr) {
            continue;
        }
        if (!p.text.empty()) {
            if (auto* label = qobject_cast<QLabel*>(w)) {
                label->setText(Q(p.text));
            } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                button->setText(Q(p.text));
            }
        }
        w->setToolTip(Q(p.hint));
    }
    logic_.FormActivate();
    Show();
}

void TfMNastav::Show() {
    const MNastav::TPole& p = logic_.pole;
    txtCisloZavodu_->setText(Q(p.cisloZavodu));
    txtEtapa_->setText(Q(p.etapa));
    txtStart00_->setText(Q(p.start00));
    MaxPoradi_->setText(Q(p.maxPoradi));
    txtMaxVHlavnimOkne_->setText(Q(p.maxVHlavnimOkne));
    txtIntervalNacitani_->setText(Q(p.intervalNacitani));
    for (size_t i = 0; i < 4; ++i) {
        txtCisloStartu_[i]->setText(Q(p.cisloStartu[i]));
    }
    CheckBoxBranka_->setChecked(p.branka);
    txtCisloSberky_->setText(Q(p.cisloSberky));
    txtIntervalDivak_->setText(Q(p.intervalDivak));
    txtPocetRadDivak_->setText(Q(p.pocetRadDivak));
    txtPocetSloupcuDivak_->setText(Q(p.pocetSloupcuDivak));
    CheckDesetiny_->setChecked(p.desetiny);
    ComboDruhZavodu_->setCurrentIndex(p.druhZavodu);
    for (QWidget* w :
         std::initializer_list<QWidget*>{txtStart00_, txtCisloZavodu_, txtEtapa_, txtCisloSberky_,
                                         CheckDesetiny_, ComboDruhZavodu_}) {
        w->setEnabled(logic_.zavodPovolen);
    }
    for (size_t r = 0; r < MNastav::PocetRadku; ++r) {
        check_[r]->setChecked(p.radky[r].zapnut);
        edit_[r]->setText(Q(p.radky[r].soubor));
        check_[r]->setEnabled(logic_.radky[r].povolen);
        edit_[r]->setEnabled(logic_.radky[r].povolen);
        edit_[r]->setVisible(logic_.radky[r].editVidet);
        button_[r]->setVisible(logic_.radky[r].tlacitkoVidet);
    }
}

void TfMNastav::Read() {
    MNastav::TPole& p = logic_.pole;
    const auto t = [](const QLineEdit* e) { return e->text().toStdString(); };
    p.cisloZavodu = t(txtCisloZavodu_);
    p.etapa = t(txtEtapa_);
    // As shown: text() drops the blank of a one-digit hour, which the check reads by position.
    p.start00 = txtStart00_->displayText().toStdString();
    p.maxPoradi = t(MaxPoradi_);
    p.maxVHlavnimOkne = t(txtMaxVHlavnimOkne_);
    p.intervalNacitani = t(txtIntervalNacitani_);
    for (size_t i = 0; i < 4; ++i) {
        p.cisloStartu[i] = t(txtCisloStartu_[i]);
    }
    p.branka = CheckBoxBranka_->isChecked();
    p.cisloSberky = t(txtCisloSberky_);
    p.intervalDivak = t(txtIntervalDivak_);
    p.pocetRadDivak = t(txtPocetRadDivak_);
    p.pocetSloupcuDivak = t(txtPocetSloupcuDivak_);
    p.desetiny = CheckDesetiny_->isChecked();
    p.druhZavodu = ComboDruhZavodu_->currentIndex();
    for (size_t r = 0; r < MNastav::PocetRadku; ++r) {
        p.radky[r] = {check_[r]->isChecked(), t(edit_[r])};
    }
}

void TfMNastav::BitBtnOkClick() {
    Read();
    if (logic_.BitBtnOkClick()) {
        accept();
    }
}

void TfMNastav::Vyber(size_t radek) {
    const MNastav::TVyber v = MNastav::VyberRadku(radek);
    const std::string start = edit_[radek]->text().toStdString();
    std::optional<std::string> chosen;
    if (v.slozka) {
        try {
            chosen = slozky_.ChooseFolder(this, v.titulek, start);
        } catch (...) {
            return; // the chooser's own failure: the edit keeps its text
        }
    } else {
        chosen = soubory_.ChooseFile(this, v.titulek, v.filtr, start);
    }
    if (chosen) {
        edit_[radek]->setText(Q(*chosen));
    }
}

void TfMNastav::showEvent(QShowEvent* event) {
    Fill();
    QDialog::showEvent(event);
}

void TfMNastav::closeEvent(QCloseEvent* event) {
    FormPosQt::Save(ini_, Sekce, *this, Koment::PoziceOken);
    if (!logic_.MuzeZavrit()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfMNastav::done(int result) {
    FormPosQt::Save(ini_, Sekce, *this, Koment::PoziceOken);
    if (!logic_.MuzeZavrit()) {
        return; // checks failed: the dialog stays open until Cancel
    }
    QDialog::done(result);
}
