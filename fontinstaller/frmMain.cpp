#include "frmMain.h"

#include "platform/Cp1250.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

using namespace typorin;

namespace {

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Package texts are shown as they are, never as markup.
QLabel* Text(const std::string& utf8, QWidget* parent, bool bold = false) {
    auto* l = new QLabel(Q(utf8), parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        f.setPointSize(f.pointSize() + 2);
        l->setFont(f);
    }
    return l;
}

QPlainTextEdit* Memo(const std::string& utf8, QWidget* parent) {
    auto* m = new QPlainTextEdit(parent);
    m->setReadOnly(true);
    m->setPlainText(Q(utf8));
    return m;
}

} // namespace

frmExtracting::frmExtracting() {
    setWindowTitle(QStringLiteral("Extracting"));
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(new QLabel(QStringLiteral("Extracting fonts..."), this));
}

frmReplace::frmReplace(const ReplaceQuestion& q, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Confirm Font Replace"));
    setModal(true);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(Text(q.already, this));
    lay->addWidget(Text("Would you to replace the existing font", this));
    lay->addWidget(Text(q.existingTitle, this, true));
    lay->addWidget(Text(q.existingSize, this));
    lay->addWidget(Text("with this one?", this));
    lay->addWidget(Text(q.newTitle, this, true));
    lay->addWidget(Text(q.newSize, this));
    auto* row = new QHBoxLayout;
    const auto button = [&](const char* name, const char* text, ReplaceAnswer a) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromUtf8(name));
        connect(b, &QPushButton::clicked, this, [this, a] { done(static_cast<int>(a)); });
        row->addWidget(b);
        return b;
    };
    button("cmdYes", "&Yes", ReplaceAnswer::Yes)->setDefault(true);
    button("cmdNo", "&No", ReplaceAnswer::No);
    if (!q.singleFont) {
        button("cmdYesAll", "Yes to &All", ReplaceAnswer::YesToAll);
        button("cmdNoAll", "No to A&ll", ReplaceAnswer::NoToAll);
    }
    lay->addLayout(row);
}

ReplaceAnswer frmReplace::Ask() {
    const int r = exec(); // the close box rejects: 0
    return r >= 1 && r <= 4 ? static_cast<ReplaceAnswer>(r) : ReplaceAnswer::Closed;
}

std::unique_ptr<QMessageBox> HelpBox() {
    return std::make_unique<QMessageBox>(QMessageBox::Information, QString::fromUtf8(HelpTitle),
                                         Q(HelpText), QMessageBox::Ok);
}

frmMain::frmMain(Package& package, FontStore& store, const UserEnv& env)
    : package_(package), store_(store), env_(env),
      title_(platform::Cp1250ToUtf8(package.data.title)),
      flow_(!package.license.empty(), !package.readMe.empty(), package.fonts.size()) {
    const std::string url = platform::Cp1250ToUtf8(package.data.url);
    const std::string urlTitle = platform::Cp1250ToUtf8(package.data.urlTitle);
    linkShown_ = !url.empty() && !urlTitle.empty() && IsWebAddress(url);
    setWindowTitle(Q(WelcomeHeading(title_)));

    auto* lay = new QVBoxLayout(this);
    pages_ = new QStackedWidget(this);
    lay->addWidget(pages_, 1);
    const auto page = [this](const std::string& heading, const std::string& sub) {
        auto* w = new QWidget(pages_);
        auto* v = new QVBoxLayout(w);
        v->addWidget(Text(heading, w, true));
        if (!sub.empty()) {
            v->addWidget(Text(sub, w));
        }
        pages_->addWidget(w);
        return std::make_pair(w, v);
    };
    const char* readOn = "Please read the following important information before continuing.";

    // Pages in the order of Page.
    {
        auto [w, v] = page(WelcomeHeading(title_), "");
        v->addWidget(Text(SetupText(title_), w));
        v->addStretch();
        v->addWidget(Text("Click Next to continue, or Cancel to exit Setup.", w));
    }
    {
        auto [w, v] = page("License Agreement", readOn);
        v->addWidget(Text("You must accept the terms of the following License Agreement before "
                          "continuing with the installation.",
                          w));
        v->addWidget(Memo(package_.license, w), 1);
        optAgree_ = new QRadioButton(QStringLiteral("I accept the agreement"), w);
        optAgree_->setObjectName(QStringLiteral("optAgree"));
        optDisagree_ = new QRadioButton(QStringLiteral("I do not accept the agreement"), w);
        optDisagree_->setObjectName(QStringLiteral("optDisagree"));
        optDisagree_->setChecked(true);
        v->addWidget(optAgree_);
        v->addWidget(optDisagree_);
        connect(optAgree_, &QRadioButton::toggled, this, [this](bool on) {
            flow_.SetAgree(on);
            Sync();
        });
    }
    {
        auto [w, v] = page("Information", readOn);
        v->addWidget(Memo(package_.readMe, w), 1);
        v->addWidget(Text("When you are ready to continue with Setup, click Next.", w));
    }
    {
        auto [w, v] = page("Install Type", "Please select which type of install you would like.");
        optComplete_ = new QRadioButton(QStringLiteral("Complete Install"), w);
        optComplete_->setObjectName(QStringLiteral("optComplete"));
        optCustom_ = new QRadioButton(QStringLiteral("Custom Install"), w);
        optCustom_->setObjectName(QStringLiteral("optCustom"));
        optComplete_->setChecked(true);
        v->addWidget(optComplete_);
        v->addWidget(Text("Installs all fonts.", w));
        v->addWidget(optCustom_);
        v->addWidget(Text("Enables you to specify which fonts you wish to install.", w));
        v->addStretch();
        v->addWidget(Text("To continue, click Next.", w));
        connect(optComplete_, &QRadioButton::toggled, this,
                [this](bool on) { flow_.SetComplete(on); });
    }
    {
        auto [w, v] = page("Custom Install", "Please chose what you wish to install.");
        v->addWidget(Text("Fonts to install:", w));
        chkSelect_ = new QCheckBox(QStringLiteral("Select All"), w);
        chkSelect_->setObjectName(QStringLiteral("chkSelect"));
        chkSelect_->setChecked(true);
        v->addWidget(chkSelect_);
        auto* scroll = new QScrollArea(w);
        picSlide_ = new QWidget(scroll);
        new QVBoxLayout(picSlide_);
        scroll->setWidget(picSlide_);
        scroll->setWidgetResizable(true);
        v->addWidget(scroll, 1);
        chkLinks_ = new QCheckBox(Q("Add " + urlTitle + " to Favorites"), w);
        chkLinks_->setObjectName(QStringLiteral("chkLinks"));
        chkLinks_->setChecked(linkShown_);
        chkLinks_->setVisible(linkShown_);
        v->addWidget(chkLinks_);
        v->addWidget(Text("Select the font you wish to install, and then click Next.", w));
        connect(chkSelect_, &QCheckBox::clicked, this, [this](bool on) {
            flow_.SetSelectAll(on);
            for (QCheckBox* c : chkFont_) {
                c->setChecked(on);
            }
        });
        connect(chkLinks_, &QCheckBox::toggled, this, [this](bool on) { flow_.SetLinks(on); });
    }
    {
        auto [w, v] = page("Installing", "");
        v->addWidget(Text(InstallText(title_), w));
        lblStatus_ = Text("Installing...", w);
        v->addWidget(lblStatus_);
        picProg_ = new QProgressBar(w);
        picProg_->setTextVisible(false);
        v->addWidget(picProg_);
        lblPercent_ = Text("", w);
        v->addWidget(lblPercent_);
        v->addStretch();
    }
    {
        auto [w, v] = page("", "");
        lblFinish_ = qobject_cast<QLabel*>(v->itemAt(0)->widget());
        lblFinish_->setText(QStringLiteral("Finished!"));
        lblFinishText_ = Text(FinishedText(title_), w);
        v->addWidget(lblFinishText_);
        if (linkShown_) {
            // lblLink: the web title, opening the address.
            auto* lblLink = new QPushButton(Q(urlTitle), w);
            lblLink->setFlat(true);
            lblLink->setCursor(Qt::PointingHandCursor);
            QFont f = lblLink->font();
            f.setUnderline(true);
            lblLink->setFont(f);
            connect(lblLink, &QPushButton::clicked, this,
                    [url] { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); });
            v->addWidget(lblLink);
        }
        v->addStretch();
        lblFinishFinish_ = Text("Click Finish to exit Setup.", w);
        v->addWidget(lblFinishFinish_);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdBack_ = new QPushButton(QStringLiteral("< &Back"), this);
    cmdBack_->setObjectName(QStringLiteral("cmdBack"));
    cmdNext_ = new QPushButton(QStringLiteral("&Next >"), this);
    cmdNext_->setObjectName(QStringLiteral("cmdNext"));
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addWidget(cmdBack_);
    buttons->addWidget(cmdNext_);
    buttons->addWidget(cmdCancel_);
    lay->addLayout(buttons);
    connect(cmdBack_, &QPushButton::clicked, this, [this] { cmdBack_Click(); });
    connect(cmdNext_, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    resize(560, 400);
    LoadFontChecks();
    Sync();
}

void frmMain::LoadFontChecks() {
    for (size_t i = 0; i < package_.fonts.size(); ++i) {
        const PackageFont& font = package_.fonts[i];
        auto* box = new QCheckBox(picSlide_);
        box->setChecked(true);
        // The face name and a sample of the font, drawn while the font is loaded for the moment.
        const QString face = QString::fromStdString(font.face);
        QPixmap pic(360, 56);
        pic.fill(Qt::white);
        const int id = QFontDatabase::addApplicationFont(
            QString::fromStdString((package_.folder.Path() / font.file).string()));
        {
            QPainter p(&pic);
            p.setPen(Qt::black);
            QFont small = box->font();
            small.setPointSize(8);
            p.setFont(small);
            p.drawText(10, 16, face);
            QFont sample(face);
            sample.setPointSize(16);
            p.setFont(sample);
            p.drawText(10, 46, face);
        }
        if (id >= 0) {
            QFontDatabase::removeApplicationFont(id);
        }
        box->setIcon(QIcon(pic));
        box->setIconSize(pic.size());
        picSlide_->layout()->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { flow_.SetFont(i, on); });
        chkFont_.push_back(box);
    }
}

void frmMain::Sync() {
    pages_->setCurrentIndex(static_cast<int>(flow_.page()));
    cmdBack_->setEnabled(flow_.backEnabled());
    cmdNext_->setEnabled(flow_.nextEnabled());
    cmdCancel_->setEnabled(flow_.cancelEnabled());
    cmdNext_->setText(QString::fromStdString(flow_.nextCaption()));
}

void frmMain::cmdNext_Click() {
    switch (flow_.Next()) {
    case WizardFlow::Action::Install:
        chkSelect_->setChecked(flow_.selectAll());
        for (size_t i = 0; i < chkFont_.size(); ++i) {
            chkFont_[i]->setChecked(flow_.fonts()[i]);
        }
        chkLinks_->setChecked(flow_.links());
        Sync();
        Install();
        break;
    case WizardFlow::Action::Quit:
        leaving_ = true;
        close();
        break;
    case WizardFlow::Action::MustSelect:
        QMessageBox::warning(this, QString::fromUtf8(ProgramTitle),
                             QString::fromUtf8(MustSelectText));
        break;
    case WizardFlow::Action::None:
        Sync();
        break;
    }
}

void frmMain::cmdBack_Click() {
    flow_.Back();
    Sync();
}

bool frmMain::ExitMsg() {
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(ProgramTitle),
                    Q(ExitQuestion(title_)), QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

void frmMain::cmdCancel_Click() {
    if (ExitMsg()) {
        leaving_ = true;
        close();
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (leaving_ || !flow_.LeavingAsks()) {
        event->accept();
        return;
    }
    if (flow_.page() == Page::Installing || !ExitMsg()) {
        event->ignore();
        return;
    }
    event->accept();
}

void frmMain::Install() {
    InstallRequest r;
    r.extractPath = package_.folder.Path();
    r.fonts = package_.fonts;
    r.checked = flow_.fonts();
    r.fontFolder = FontsFolder(env_);
    r.links = linkShown_ && chkLinks_->isChecked();
    r.title = title_;
    r.url = platform::Cp1250ToUtf8(package_.data.url);
    r.urlTitle = platform::Cp1250ToUtf8(package_.data.urlTitle);
    r.favoritesFolder = FavoritesFolder(env_);
    repaint();
    const InstallResult result = InstallFonts(r, store_, *this);
    lblFinish_->setText(Q(result.heading));
    lblFinishText_->setText(Q(result.text));
    flow_.InstallDone(result.ok);
    Sync();
}

void frmMain::Status(const std::string& text) {
    lblStatus_->setText(Q(text));
    QApplication::processEvents();
}

void frmMain::Progress(int done, int total, const std::string& percent) {
    picProg_->setRange(0, total);
    picProg_->setValue(done);
    lblPercent_->setText(Q(percent));
    QApplication::processEvents();
}

ReplaceAnswer frmMain::AskReplace(const ReplaceQuestion& question) {
    frmReplace dialog(question, this);
    return dialog.Ask();
}
