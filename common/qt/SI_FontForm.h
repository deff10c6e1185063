#pragma once

#include "FormPosQt.h"
#include "SI_Font.h"
#include "Tools.h"
#include "platform/IniFile.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <array>
#include <functional>
#include <optional>

class QPlainTextEdit;

// Qt side of the user fonts: conversions between the stored font and Qt's, and the font
// samples dialog. Depends on nothing else of the reader so the commentator can share it.
namespace SI_Font {

QFont ToQFont(const Tools::FontSpec& font);
// Takes face, size and styles from a Qt font; colour, pitch and character set stay.
void FromQFont(const QFont& qfont, Tools::FontSpec& font);
// Stored colours are 0x00BBGGRR. System colours and "no colour" have no RGB of their own
// and come out black, the colour text has on paper anyway.
QColor ToQColor(int64_t color);

} // namespace SI_Font

// The font samples dialog: ten samples; a click on one opens the font dialog and stores the
// result (also an unchanged font when the dialog was cancelled).
class TfFont : public QDialog {
public:
    // Asks the user for a font starting from the given one; nullopt when cancelled.
    using FontChooser = std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)>;

    // Without a chooser the system's font dialog is used. The placement is stored in section
    // "fFont" in the program's numbering.
    explicit TfFont(platform::IniFile& ini, QWidget* parent = nullptr, FontChooser chooser = {},
                    const FormPosQt::Numbering& numbering = FormPosQt::Shared);

    const Tools::FontSpec& UserFont(int index) const { return samples_[index].font; }
    QPlainTextEdit* Sample(int index) const { return samples_[index].edit; }
    // What a click on sample `index` does.
    void Click(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    struct TMyFont {
        int index = 0;
        Tools::FontSpec font;
        QPlainTextEdit* edit = nullptr;
    };

    void Redraw(TMyFont& sample);
    void Prekresli();

    platform::IniFile& ini_;
    FontChooser chooser_;
    const FormPosQt::Numbering& numbering_;
    std::array<TMyFont, SI_Font::PocetFontu> samples_;
};
