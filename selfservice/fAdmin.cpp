#include "fAdmin.h"

#include "Dialogs.h"
#include "SI_Typ.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

TAdmin::TAdmin(platform::IniFile& ini, QWidget* parent, IFolderPicker* picker,
               TfFont::FontChooser chooser)
    : QDialog(parent), ini_(ini), picker_(picker != nullptr ? picker : &QtFolderPicker::Instance()),
      chooser_(std::move(chooser)) {
    setObjectName("Admin");
    setWindowTitle("Admin");
    QFont f = font();
    f.setPixelSize(18);
    setFont(f);
    port_ = new QComboBox(this);
    port_->setObjectName("ComboPort");
    for (const std::string& p : Admin::Porty()) {
        port_->addItem(QString::fromStdString(p));
    }
    cesta_ = new QLineEdit(this);
    cesta_->setObjectName("EditCesta");
    cesta_->setMinimumWidth(420);
    btnCesta_ = new QPushButton("Vyber cestu Ravlin", this);
    btnCesta_->setObjectName("BtnCesta");
    chyba_ = new QLabel(this);
    chyba_->setObjectName("LabelChyba");
    chyba_->setStyleSheet("color: red");
    timeout_ = new QSpinBox(this);
    timeout_->setObjectName("UpDownTimeout");
    timeout_->setRange(10, 40);
    timeoutHodnota_ = new QLabel(this);
    timeoutHodnota_->setObjectName("LabelTimeout");
    log_ = new QCheckBox(QString::fromUtf8("Ladicí protokol"), this);
    log_->setObjectName("CheckLog");
    btnFont_ = new QPushButton("Font pro grid", this);
    btnFont_->setObjectName("BtnFont");
    info_ = new QLabel(this);
    info_->setObjectName("LabelInfo");
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("BtnOK");
    zpet_ = new QPushButton(QString::fromUtf8("Zpět"), this);
    zpet_->setObjectName("BtnZpet");

    auto* g = new QGridLayout(this);
    g->addWidget(new QLabel("COM", this), 0, 0);
    g->addWidget(port_, 0, 1);
    g->addWidget(new QLabel("Ravlin", this), 1, 0);
    g->addWidget(cesta_, 1, 1);
    g->addWidget(btnCesta_, 1, 2);
    g->addWidget(chyba_, 2, 1, 1, 2);
    g->addWidget(new QLabel("Timeout (sec)", this), 3, 0);
    g->addWidget(timeout_, 3, 1);
    g->addWidget(timeoutHodnota_, 3, 2);
    g->addWidget(log_, 4, 1);
    g->addWidget(btnFont_, 5, 1);
    g->addWidget(info_, 6, 1, 1, 2);
    g->addWidget(ok_, 7, 1);
    g->addWidget(zpet_, 7, 2);

    connect(cesta_, &QLineEdit::textChanged, this, &TAdmin::Vyhodnoceni);
    connect(btnCesta_, &QPushButton::clicked, this, &TAdmin::VyberCestu);
    connect(btnFont_, &QPushButton::clicked, this, &TAdmin::VyberFont);
    connect(timeout_, &QSpinBox::valueChanged, this,
            [this](int v) { timeoutHodnota_->setText(QString::number(v)); });
    connect(ok_, &QPushButton::clicked, this, &TAdmin::Ok);
    connect(zpet_, &QPushButton::clicked, this, &TAdmin::reject);
}

void TAdmin::Aktivuj() {
    btnCesta_->setText(
        QString::fromStdString(SI_Typ::LangText("Vyber cestu Ravlin", "Choose the Ravlin folder")));
    log_->setText(QString::fromStdString(SI_Typ::LangText("Ladicí protokol", "Debug log")));
    btnFont_->setText(QString::fromStdString(SI_Typ::LangText("Font pro grid", "Grid font")));
    zpet_->setText(QString::fromStdString(SI_Typ::LangText("Zpět", "Cancel")));
    potvrzeno_ = false;
    zmeneny_.reset();
    font_.reset();
    const Admin::THodnoty h = Admin::Nacti(ini_);
    port_->setCurrentIndex(Admin::IndexPortu(h.com));
    cesta_->setText(QString::fromStdString(h.ravlinPath));
    const QSize s = screen_.isValid()                  ? screen_
                    : QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size()
                                                       : QSize(1024, 768);
    info_->setText(QString::fromStdString(Admin::InfoObrazovky(s.width(), s.height())));
    Vyhodnoceni();
    timeout_->setValue(h.timeout);
    timeoutHodnota_->setText(QString::number(timeout_->value()));
    log_->setChecked(h.logovat);
}

void TAdmin::Vyhodnoceni() {
    chyba_->setText(QString::fromStdString(Admin::Vyhodnoceni(cesta_->text().toStdString())));
}

void TAdmin::VyberCestu() {
    if (auto s = picker_->ChooseFolder(this, "Ravlin", cesta_->text().toStdString())) {
        cesta_->setText(QString::fromStdString(*s));
    }
    Vyhodnoceni();
}

void TAdmin::VyberFont() {
    Tools::FontSpec spec;
    Tools::LoadFont(ini_, "FontInfoGrid", spec);
    if (zmeneny_) {
        spec = *zmeneny_;
    }
    const QFont start = SI_Font::ToQFont(spec);
    std::optional<QFont> novy;
    if (chooser_) {
        novy = chooser_(start, this);
    } else {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, start, this);
        if (ok) {
            novy = f;
        }
    }
    if (novy) {
        SI_Font::FromQFont(*novy, spec);
        zmeneny_ = spec;
    }
}

void TAdmin::Ok() {
    Admin::THodnoty h;
    h.com = Admin::ComZIndexu(port_->currentIndex());
    h.ravlinPath = cesta_->text().toStdString();
    h.timeout = timeout_->value();
    h.logovat = log_->isChecked();
    if (!Admin::Uloz(ini_, h, zmeneny_)) {
        Dialogs::Messages().Error(SI_Typ::LangText("Nastavení se nepodařilo uložit: ",
                                                   "The settings could not be stored: ") +
                                  ini_.LastError());
        return;
    }
    potvrzeno_ = true;
    font_ = zmeneny_;
    accept();
}

void TAdmin::showEvent(QShowEvent* e) {
    Aktivuj();
    QDialog::showEvent(e);
}

bool ZobrazFormuAdmin(TAdmin& forma, const std::function<void(bool)>& dialog,
                      const std::function<void(const TAdmin&)>& nastavPorty) {
    if (dialog) {
        dialog(true);
    }
    forma.exec();
    if (dialog) {
        dialog(false);
    }
    if (forma.Potvrzeno() && nastavPorty) {
        nastavPorty(forma);
    }
    return forma.Potvrzeno();
}
