#include "fKlavesnice.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <memory>

namespace fKlavesnice {
TKlavesnice* Klavesnice = nullptr;
} // namespace fKlavesnice

namespace {

QFont Bold(int points) {
    QFont f;
    f.setPointSize(points);
    f.setBold(true);
    return f;
}

// The given size, or smaller where the caption would not fit the button ("Backspace" on a
// 100-pixel key).
void FitFont(QPushButton* b, int points) {
    QFont f = Bold(points);
    while (f.pointSize() > 8 && QFontMetrics(f).horizontalAdvance(b->text()) > b->width() - 8) {
        f.setPointSize(f.pointSize() - 1);
    }
    b->setFont(f);
}

void Place(QWidget* w, const Klavesnice::Box& b) {
    w->setGeometry(b.left, b.top, b.width, b.height);
    w->setVisible(b.visible);
}

} // namespace

TKlavesnice::TKlavesnice(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setFocusPolicy(Qt::StrongFocus);
    prompt_ = new QLabel(this);
    prompt_->setFont(Bold(20));
    prompt_->move(10, 10);
    text_ = new QLabel(this);
    ok_ = NewButton(QStringLiteral("OK"));
    cancel_ = NewButton(QString());
    backspace_ = NewButton(QStringLiteral("Backspace"));
    caps_ = NewButton(QString());
    layout_ = NewButton(QString());
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(backspace_, &QPushButton::clicked, this, [this] {
        model_.Backspace();
        NastavRetezec();
    });
    connect(caps_, &QPushButton::clicked, this, [this] {
        model_.PrepniVelka();
        RozmistiKlavesy();
    });
    connect(layout_, &QPushButton::clicked, this, [this] {
        model_.PrepniRozlozeni();
        RozmistiKlavesy();
    });
    std::string chars = " 0123456789";
    for (char c = 'A'; c <= 'Z'; ++c) {
        chars += c;
    }
    for (char c : chars) {
        QPushButton* key = NewButton(QString(QChar(c)));
        key->setProperty("znak", int(c)); // the key's character code
        connect(key, &QPushButton::clicked, this, [this, c] {
            model_.Klavesa(c);
            NastavRetezec();
        });
        keys_[c] = key;
    }
    Nastav({}, {}, 20, false, true, true);
}

QPushButton* TKlavesnice::NewButton(const QString& caption) {
    auto* b = new QPushButton(caption, this);
    // The form keeps the focus so that physical keys reach it whatever was touched.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    return b;
}

void TKlavesnice::Nastav(const std::string& text, const std::string& prompt, int maxLength,
                         bool masked, bool digits, bool letters) {
    model_.Nastav(text, maxLength, masked, digits, letters);
    prompt_->setText(QString::fromStdString(prompt).replace('\r', '\n'));
    prompt_->adjustSize();
    RozmistiKlavesy();
}

void TKlavesnice::NastavRetezec() {
    text_->setText(QString::fromStdString(model_.NastavRetezec()));
}

void TKlavesnice::RozmistiKlavesy() {
    const bool letters = model_.Pismena();
    const int textSize = letters ? 24 : 48;
    text_->setFont(Bold(textSize));
    const int textTop = prompt_->y() + prompt_->height() + 10;
    const int textHeight = text_->fontMetrics().height();
    const Klavesnice::Layout l = Klavesnice::RozmistiKlavesy(
        model_.Cislice(), letters, model_.Qwerty(), textTop + textHeight, prompt_->width());
    text_->setGeometry(10, textTop, l.formWidth - 20, textHeight);
    NastavRetezec();

    for (auto& [c, key] : keys_) {
        const Klavesnice::Box& b = l.keys.at(c);
        Place(key, b);
        key->setFont(Bold(l.keyFont));
        if (c >= 'A' && c <= 'Z') {
            key->setText(QString(QChar(model_.Velka() ? c : char(c - 'A' + 'a'))));
        }
    }
    Place(ok_, l.ok);
    Place(cancel_, l.cancel);
    cancel_->setText(QString::fromStdString(model_.CancelCaption()));
    FitFont(ok_, l.okFont);
    FitFont(cancel_, l.okFont);
    Place(backspace_, l.backspace);
    FitFont(backspace_, l.backFont);
    Place(caps_, l.capsToggle);
    Place(layout_, l.layoutToggle);
    caps_->setText(QString::fromStdString(model_.VelkaCaption()));
    layout_->setText(QString::fromStdString(model_.RozlozeniCaption()));
    FitFont(caps_, l.keyFont);
    FitFont(layout_, l.keyFont);
    setFixedSize(l.formWidth, l.formHeight);
}

void TKlavesnice::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return;
    case Qt::Key_Backspace:
        model_.Backspace();
        NastavRetezec();
        return;
    case Qt::Key_Escape:
        QDialog::keyPressEvent(e);
        return;
    default:
        break;
    }
    const QString t = e->text();
    if (t.size() == 1 && t[0].unicode() < 128 && model_.FyzickaKlavesa(char(t[0].unicode()))) {
        NastavRetezec();
        return;
    }
    QDialog::keyPressEvent(e);
}

namespace SISam_Proc {

bool ZobrazKlavesnici(std::string& text, const std::string& prompt, int maxLength, bool masked,
                      bool digits, bool letters) {
    std::unique_ptr<TKlavesnice> own;
    TKlavesnice* kl = fKlavesnice::Klavesnice;
    if (kl == nullptr) {
        own = std::make_unique<TKlavesnice>();
        kl = own.get();
    }
    kl->Nastav(text, prompt, maxLength, masked, digits, letters);
    if (kl->exec() != QDialog::Accepted) {
        return false;
    }
    text = kl->Text();
    return true;
}

} // namespace SISam_Proc
