#pragma once

#include "PiktSheets.h"

#include <QFont>
#include <QString>

#include <array>
#include <filesystem>

class QPainter;
class QPaintDevice;

// Drawing control-description sheets with a QPainter: the pictograms in the font
// "QZ-Davovazedi04", the texts in Arial (on Linux a metric-compatible free face stands in).
namespace fPikt {

inline constexpr const char* PiktFontFamily = "QZ-Davovazedi04";
inline constexpr const char* PiktFontFile = "QZ_Pikt04.TTF";

// True when the pictogram font can be drawn with: it is installed, or the copy in `folder` (the
// program's folder, where the build puts it) was loaded for this process. Only the first call
// that finds it does any work.
bool EnsurePiktFont(const std::filesystem::path& folder);
bool EnsurePiktFont();

// The eight fonts of the sheets, sized for the sheet's pixels. The pictogram font is drawn one
// em per cell, the grid its glyphs are designed on, so that line pieces meet; the texts keep
// their point sizes as on a 300-dpi printer (a cell of 80 pixels) or a 96-dpi screen.
class PiktFonts : public PiktMetrics {
public:
    explicit PiktFonts(bool printer);

    const QFont& Font(int font) const { return fonts_[static_cast<size_t>(font)]; }
    int TextWidth(int font, const std::string& utf8) const override;
    int TextHeight(int font) const override;
    int Ascent(int font) const;

    // Pixels of the sheet per inch: 300 on the printer, 96 on screen.
    static int SheetDpi(bool printer) { return printer ? 300 : 96; }

private:
    std::array<QFont, FontCount> fonts_;
};

// Scales the painter so that one unit is one pixel of the sheet on `device`; returns the
// device's page size in those units.
QSize SetSheetScale(QPainter& painter, const QPaintDevice& device, bool printer);

// Draws one sheet at its origin, in sheet pixels.
void DrawSheet(QPainter& painter, const TPiktogram& sheet, const PiktFonts& fonts);
void DrawPage(QPainter& painter, const PiktPage& page, const PiktFonts& fonts);

} // namespace fPikt
