#include "PiktDraw.h"

#include "platform/Paths.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace fPikt {

bool EnsurePiktFont(const std::filesystem::path& folder) {
    static bool available = false;
    if (available) {
        return true;
    }
    available = QFontDatabase::hasFamily(PiktFontFamily);
    if (!available) {
        const auto file = folder / PiktFontFile;
        const int id = QFontDatabase::addApplicationFont(QString::fromStdString(file.string()));
        available = id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(PiktFontFamily);
    }
    return available;
}

bool EnsurePiktFont() {
    return EnsurePiktFont(platform::ProgramDir());
}

namespace {

QFont TextFont(int points, bool bold, bool printer) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(static_cast<int>(std::lround(points * PiktFonts::SheetDpi(printer) / 72.0)));
    f.setBold(bold);
    // Unhinted metrics scale with the painter, so a PDF looks like the sheet that was measured.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace

PiktFonts::PiktFonts(bool printer) {
    QFont pict{QString::fromLatin1(PiktFontFamily)};
    pict.setPixelSize(printer ? 80 : 25);
    pict.setHintingPreference(QFont::PreferNoHinting);
    // A code the font lacks must show as missing, not as some other font's character.
    pict.setStyleStrategy(QFont::NoFontMerging);
    fonts_[FontPictogram] = pict;
    fonts_[FontNumber] = TextFont(12, false, printer);
    fonts_[FontCode] = TextFont(12, true, printer);
    fonts_[FontColumnF] = TextFont(9, true, printer);
    fonts_[FontHeader] = TextFont(11, false, printer);
    fonts_[FontTitle] = TextFont(11, true, printer);
    fonts_[FontCourse] = TextFont(11, true, printer);
    fonts_[FontSmall] = TextFont(7, true, printer);
}

int PiktFonts::TextWidth(int font, const std::string& utf8) const {
    return QFontMetrics(Font(font)).horizontalAdvance(QString::fromStdString(utf8));
}

int PiktFonts::TextHeight(int font) const {
    return QFontMetrics(Font(font)).height();
}

int PiktFonts::Ascent(int font) const {
    return QFontMetrics(Font(font)).ascent();
}

QSize SetSheetScale(QPainter& painter, const QPaintDevice& device, bool printer) {
    const double s = device.logicalDpiX() / static_cast<double>(PiktFonts::SheetDpi(printer));
    painter.scale(s, s);
    return QSize(static_cast<int>(device.width() / s), static_cast<int>(device.height() / s));
}

void DrawSheet(QPainter& painter, const TPiktogram& sheet, const PiktFonts& fonts) {
    const PiktDrawing d = sheet.Layout(fonts);
    painter.save();
    for (const PiktLine& l : d.lines) {
        painter.setPen(QPen(Qt::black, l.thick ? sheet.ThickPen() : sheet.ThinPen(), Qt::SolidLine,
                            Qt::SquareCap));
        painter.drawLine(l.x0, l.y0, l.x1, l.y1);
    }
    painter.setPen(Qt::black);
    for (const PiktText& t : d.texts) {
        painter.setFont(fonts.Font(t.font));
        QString text = QString::fromStdString(t.text);
        // The tab of header line 2 is drawn as one blank, as a canvas without tab stops would.
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        painter.drawText(QPoint(t.x, t.y + fonts.Ascent(t.font)), text);
    }
    painter.restore();
}

void DrawPage(QPainter& painter, const PiktPage& page, const PiktFonts& fonts) {
    for (const TPiktogram& sheet : page) {
        DrawSheet(painter, sheet, fonts);
    }
}

} // namespace fPikt
