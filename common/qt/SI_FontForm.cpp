#include "SI_FontForm.h"

#include "Dialogs.h"
#include "FormPosQt.h"
#include "SI_Typ.h"

#include <QEvent>
#include <QFontDialog>
#include <QPalette>
#include <QPlainTextEdit>
#include <QResizeEvent>

#include <algorithm>

namespace SI_Font {

QFont ToQFont(const Tools::FontSpec& font) {
    QFont q(QString::fromStdString(font.name));
    // Sizes come from a hand-editable file; keep them to what a page can hold.
    q.setPointSize(font.size > 0 ? std::min(font.size, 500) : 10);
    q.setBold(font.bold);
    q.setItalic(font.italic);
    q.setUnderline(font.underline);
    q.setStrikeOut(font.strikeOut);
    if (font.pitch == Tools::FontPitch::Fixed) {
        q.setFixedPitch(true);
        q.setStyleHint(QFont::TypeWriter);
    }
    return q;
}

void FromQFont(const QFont& qfont, Tools::FontSpec& font) {
    font.name = qfont.family().toStdString();
    if (qfont.pointSize() > 0) {
        font.size = qfont.pointSize();
    }
    font.bold = qfont.bold();
    font.italic = qfont.italic();
    font.underline = qfont.underline();
    font.strikeOut = qfont.strikeOut();
}

QColor ToQColor(int64_t color) {
    if (color < 0 || color > 0xFFFFFF) {
        return Qt::black;
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

} // namespace SI_Font

namespace {

std::optional<QFont> AskSystemFontDialog(const QFont& initial, QWidget* parent) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) {
        return std::nullopt;
    }
    return chosen;
}

} // namespace

TfFont::TfFont(platform::IniFile& ini, QWidget* parent, FontChooser chooser,
               const FormPosQt::Numbering& numbering)
    : QDialog(parent), ini_(ini), chooser_(chooser ? std::move(chooser) : AskSystemFontDialog),
      numbering_(numbering) {
    setObjectName("fFont");
    setWindowTitle("Font");
    resize(641, 407);
    FormPosQt::Load(ini_, "fFont", *this, numbering_);
    const SI_Font::UserFonts fonts = SI_Font::LoadUserFonts(ini_);
    for (int i = 0; i < SI_Font::PocetFontu; ++i) {
        TMyFont& s = samples_[i];
        s.index = i;
        s.font = fonts[i];
        s.edit = new QPlainTextEdit(this);
        s.edit->setReadOnly(true);
        s.edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        s.edit->viewport()->installEventFilter(this);
        Redraw(s);
    }
}

void TfFont::Redraw(TMyFont& sample) {
    sample.edit->setFont(SI_Font::ToQFont(sample.font));
    QPalette pal = sample.edit->palette();
    pal.setColor(QPalette::Text, SI_Font::ToQColor(sample.font.color));
    sample.edit->setPalette(pal);
    sample.edit->setPlainText(
        QString::fromStdString(SI_Font::SampleText(sample.index, sample.font.name)));
    const SI_Font::Rect r = SI_Font::SampleRect(sample.index, width(), height());
    sample.edit->setGeometry(r.left, r.top, std::max(r.width, 0), std::max(r.height, 0));
}

void TfFont::Prekresli() {
    for (TMyFont& s : samples_) {
        if (s.edit != nullptr) {
            Redraw(s);
        }
    }
}

void TfFont::Click(int index) {
    TMyFont& s = samples_[index];
    if (const std::optional<QFont> chosen = chooser_(SI_Font::ToQFont(s.font), this)) {
        SI_Font::FromQFont(*chosen, s.font);
    }
    // Stored also when cancelled, so a section that was missing gets written.
    if (!Tools::SaveFontN(ini_, index, s.font)) {
        Dialogs::Messages().Error(SI_Typ::LangText("Nastavení se nepodařilo uložit: ",
                                                   "The settings could not be stored: ") +
                                  ini_.LastError());
    }
    Redraw(s);
}

bool TfFont::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (const TMyFont& s : samples_) {
            if (s.edit != nullptr && watched == s.edit->viewport()) {
                Click(s.index);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfFont::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Prekresli();
}

void TfFont::done(int result) {
    FormPosQt::Save(ini_, "fFont", *this, numbering_);
    QDialog::done(result);
}
