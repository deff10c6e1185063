#include "fSetPort.h"

#include "FormPosQt.h"
#include "SI_Port.h"
#include "SI_Typ.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using SI_Typ::LangText;

namespace {

constexpr const char* Sekce = "fSetCom";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

TSIPort* PortZTagu(int com) {
    if (com < 1 || com >= static_cast<int>(SI_Port::Porty.size())) {
        return nullptr;
    }
    return SI_Port::Porty[static_cast<size_t>(com)].get();
}

} // namespace

TfSetCom::TfSetCom(int com, QWidget* parent, IFolderPicker* picker)
    : QDialog(parent), tag_(com),
      picker_(picker != nullptr ? picker : &QtFolderPicker::Instance()) {
    if (TSIPort* p = PortZTagu(com)) {
        logic_ = std::make_unique<fSetPort::TSetComLogic>(*p);
    }
    setObjectName("fSetCom");

    const QString hintFunkce = Q(LangText("Určuje, jakou funkci bude SI jednotka provádět",
                                          "Specify function of SI station"));
    const QString hintRychlost = Q(LangText(
        "rychlost čtení - pro klasický COM použijte 4800, pro USB 38400", "COM speed (baud)"));
    const QString hintCesta = Q(LangText("Určuje cestu, kam budou zapisovány údaje načtené z SI",
                                         "Specify path for export data file"));

    LabelComboFunkce_ = new QLabel("&Funkce SI stanice", this);
    ComboFunkce_ = new QComboBox(this);
    ComboFunkce_->setObjectName("ComboFunkce");
    ComboFunkce_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    LabelComboFunkce_->setBuddy(ComboFunkce_);
    LabelComboFunkce_->setToolTip(hintFunkce);
    ComboFunkce_->setToolTip(hintFunkce);

    LabelRychlost_ = new QLabel("&Rychlost čtení", this);
    ComboRychlost_ = new QComboBox(this);
    ComboRychlost_->setObjectName("ComboRychlost");
    ComboRychlost_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    LabelRychlost_->setBuddy(ComboRychlost_);
    LabelRychlost_->setToolTip(hintRychlost);
    ComboRychlost_->setToolTip(hintRychlost);

    LabelMaxTime_ = new QLabel("&Maximální doba čtení (sec)", this);
    MaxTime_ = new QLineEdit(this);
    MaxTime_->setObjectName("MaxTime");
    MaxTime_->setMaxLength(2);
    MaxTime_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9 ]*"), MaxTime_));
    MaxTime_->setMaximumWidth(MaxTime_->fontMetrics().horizontalAdvance("00000000"));
    LabelMaxTime_->setBuddy(MaxTime_);

    CheckBoxCheckSum_ = new QCheckBox("Kontrolovat Check &Sum", this);
    CheckBoxCheckSum_->setObjectName("CheckBoxCheckSum");
    CheckBoxCheckSum_->setToolTip("Při nesouhlasu kontrolního součtu nebude SI čip načten "
                                  "(doporučeno tuto volbu zaškrtnout)");
    // Every frame is checked anyway; the switch is only kept in the settings.
    CheckBoxCheckSum_->setVisible(false);
    CheckBoxInfoOkno_ = new QCheckBox("Zobrazovat načítaná &data", this);
    CheckBoxInfoOkno_->setObjectName("CheckBoxInfoOkno");
    CheckBoxInfoOkno_->setToolTip("Umožní sledovat načítaná data (doporučeno jen pro ladění - "
                                  "při problémech s načítáním)");

    auto* LabelExportPath = new QLabel("&Cesta pro export", this);
    LabelExportPath->setToolTip(hintCesta);
    ExportPath_ = new QLabel(this);
    ExportPath_->setObjectName("ExportPath");
    ExportPath_->setToolTip(hintCesta);
    ExportPath_->setFrameShape(QFrame::StyledPanel);
    ExportPath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ExportPath_->setMinimumWidth(300);
    DirectoryListBox1_ = new QWidget(this);
    auto* zmenit = new QPushButton(Q(LangText("Změnit...", "Change...")), DirectoryListBox1_);
    zmenit->setObjectName("DirectoryListBox1");
    zmenit->setToolTip(hintCesta);
    LabelExportPath->setBuddy(zmenit);
    auto* slozkaLayout = new QHBoxLayout(DirectoryListBox1_);
    slozkaLayout->setContentsMargins(0, 0, 0, 0);
    slozkaLayout->addStretch();
    slozkaLayout->addWidget(zmenit);

    BitBtnOk_ = new QPushButton("O&K", this);
    BitBtnOk_->setObjectName("BitBtnOk");
    BitBtnOk_->setToolTip("Nastaví nově zadané hodnoty");
    BitBtnOk_->setDefault(true);
    BitBtnStrorno_ = new QPushButton("&Zpět", this);
    BitBtnStrorno_->setObjectName("BitBtnStrorno");
    BitBtnStrorno_->setToolTip("Nastavení nových hodnot se neprovede");

    auto* pole = new QFormLayout;
    pole->addRow(LabelComboFunkce_, ComboFunkce_);
    pole->addRow(LabelRychlost_, ComboRychlost_);
    pole->addRow(LabelMaxTime_, MaxTime_);
    pole->addRow(CheckBoxCheckSum_);
    pole->addRow(CheckBoxInfoOkno_);
    pole->addRow(LabelExportPath);
    pole->addRow(ExportPath_);
    pole->addRow(DirectoryListBox1_);

    auto* tlacitka = new QHBoxLayout;
    tlacitka->addStretch();
    tlacitka->addWidget(BitBtnOk_);
    tlacitka->addWidget(BitBtnStrorno_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pole);
    layout->addLayout(tlacitka);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (QLabel* l : {LabelComboFunkce_, LabelRychlost_, LabelMaxTime_}) {
        l->installEventFilter(this);
    }
    connect(BitBtnOk_, &QPushButton::clicked, this, [this] { BitBtnOkClick(); });
    connect(BitBtnStrorno_, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboFunkce_, &QComboBox::activated, this,
            [this](int index) { ComboFunkceChange(index); });
    connect(zmenit, &QPushButton::clicked, this, [this] { ChooseFolder(); });

    if (SI_Typ::IniNastaveni) {
        FormPosQt::Load(*SI_Typ::IniNastaveni, Sekce, *this);
    }
}

TfSetCom::~TfSetCom() = default;

void TfSetCom::Fill() {
    setWindowTitle(Q(LangText("Nastavení portu COM", "Setting port COM") + std::to_string(tag_)));
    if (!logic_) {
        return;
    }
    const fSetPort::TZobrazeni z = logic_->FormActivate();
    setWindowTitle(Q(z.caption));
    ComboFunkce_->clear();
    for (const std::string& f : z.funkce) {
        ComboFunkce_->addItem(Q(f));
    }
    ComboFunkce_->setCurrentIndex(z.funkceIndex);
    ComboRychlost_->clear();
    for (const std::string& r : z.rychlosti) {
        ComboRychlost_->addItem(Q(r));
    }
    ComboRychlost_->setCurrentIndex(z.rychlostIndex);
    LabelMaxTime_->setToolTip(Q(z.maxTimeHint));
    MaxTime_->setToolTip(Q(z.maxTimeHint));
    MaxTime_->setText(Q(z.maxTime));
    CheckBoxInfoOkno_->setChecked(z.infoOkno);
    CheckBoxCheckSum_->setChecked(z.checkSum);
    slozka_ = z.slozka;
    ExportPath_->setText(Q(z.exportPath));
    DirectoryListBox1_->setVisible(z.slozkaViditelna);
    // The dialog ends below what is shown and fits the items just filled in.
    layout()->activate();
}

fSetPort::THodnoty TfSetCom::Values() const {
    fSetPort::THodnoty h;
    h.funkce = ComboFunkce_->currentIndex();
    h.rychlost = ComboRychlost_->currentIndex();
    h.maxTime = MaxTime_->text().toStdString();
    h.checkSum = CheckBoxCheckSum_->isChecked();
    h.infoOkno = CheckBoxInfoOkno_->isChecked();
    h.slozka = slozka_;
    return h;
}

void TfSetCom::showEvent(QShowEvent* event) {
    Fill();
    QDialog::showEvent(event);
}

bool TfSetCom::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (auto* label = qobject_cast<QLabel*>(watched); label && label->buddy()) {
            label->buddy()->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfSetCom::done(int result) {
    if (SI_Typ::IniNastaveni) {
        FormPosQt::Save(*SI_Typ::IniNastaveni, Sekce, *this);
    }
    QDialog::done(result);
}

void TfSetCom::BitBtnOkClick() {
    if (logic_) {
        logic_->BitBtnOkClick(Values());
    }
    accept();
}

void TfSetCom::ComboFunkceChange(int index) {
    const QString hint = Q(fSetPort::MaxTimeHint(index));
    LabelMaxTime_->setToolTip(hint);
    MaxTime_->setToolTip(hint);
}

void TfSetCom::ChooseFolder() {
    const auto folder =
        picker_->ChooseFolder(this, LangText("Cesta pro export", "Path for export"), slozka_);
    if (!folder) {
        return;
    }
    slozka_ = *folder;
    ExportPath_->setText(Q(slozka_));
}
