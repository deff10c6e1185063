#pragma once

#include "PiktRec.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Control-description sheets: the records of a Pikt*.dat file read into sheets (one per course
// or runner), the grid of columns A to H and what stands in its cells, and the packing of the
// sheets on printer pages. All positions are in pixels of the sheet: a cell is 80 of them on
// the printer (300 per inch) and 25 on screen (96 per inch).
namespace fPikt {

inline constexpr int MaxControls = 35;
inline constexpr int RowCount = MaxControls + 2; // start, controls, finish

// The fonts of a sheet, by their number.
enum : int {
    FontPictogram = 0, // the pictogram font
    FontNumber = 1,    // row number, Arial 12
    FontCode = 2,      // control code, Arial 12 bold
    FontColumnF = 3,   // column F text, Arial 9 bold
    FontHeader = 4,    // header lines 2 to 4 and the finish distance, Arial 11
    FontTitle = 5,     // header line 1, Arial 11 bold
    FontCourse = 6,    // course row, Arial 11 bold
    FontSmall = 7,     // the two parts of a divided column F text, Arial 7 bold
    FontCount = 8,
};

// Text measures of the fonts as they will be drawn.
class PiktMetrics {
public:
    virtual ~PiktMetrics() = default;
    virtual int TextWidth(int font, const std::string& utf8) const = 0;
    // Height of a line of the font (ascent and descent); the same for every text.
    virtual int TextHeight(int font) const = 0;
};

// What a sheet shows, as read from the file.
struct TPiktData {
    std::array<std::string, 4> header; // header lines 1 to 4
    std::string courseName;
    double courseLength = 0; // km
    uint16_t climb = 0;      // m
    uint16_t n = 0;          // controls
    // 0 the start, 1 to n the controls, n + 1 the finish.
    std::array<TPiktRow, RowCount> rows{};
};

struct PiktLine {
    int x0, y0, x1, y1;
    bool thick;
};

// A text or a pictogram, its top left corner at (x, y).
struct PiktText {
    int font;
    std::string text; // UTF-8; a pictogram is its private-use character
    uint8_t code;     // the pictogram's byte code, 0 for a text
    int x, y;
};

struct PiktDrawing {
    std::vector<PiktLine> lines;
    std::vector<PiktText> texts;
};

// The character that draws pictogram `code`: the font holds every byte code at U+F000 + code
// too, which no text engine treats as a control or blank and no other font fills in.
std::string PictogramText(uint8_t code);

// One sheet (one course or runner).
class TPiktogram {
public:
    // mode: the kind of the file's first record (0, 1 or 2); printer: printer geometry.
    TPiktogram(const TPiktData& data, int mode, bool printer);

    const TPiktData& Data() const { return data_; }
    int Mode() const { return mode_; }
    bool Printer() const { return printer_; }
    // The start row is shown when its bytes 2 and 4 are both non-zero.
    bool StartShown() const { return startShown_; }
    bool HasFinishRow() const;

    int Cell() const { return cell_; }
    int ThinPen() const { return thin_; }
    int ThickPen() const { return thick_; }

    void SetOrigin(int x, int y);
    int X() const { return x_; }
    int Y() const { return y_; }
    // Grid line k (0 to 8); column A lies between lines 0 and 1, ..., H between 7 and 8.
    int LineX(int k) const;
    int HeaderHeight() const;
    // Top of row position p.
    int PositionTop(int p) const;
    // Sheet row r is drawn at position r + RowOffset().
    int RowOffset() const;
    // Size for packing.
    int Width() const;
    int Height() const;

    // Everything the sheet draws, at its origin.
    PiktDrawing Layout(const PiktMetrics& metrics) const;

private:
    void Grid(PiktDrawing& out) const;
    void Header(const PiktMetrics& m, PiktDrawing& out) const;
    void Row(int r, const PiktMetrics& m, PiktDrawing& out) const;
    void ColumnF(const std::string& text, int top, const PiktMetrics& m, PiktDrawing& out) const;
    void Centred(int font, const std::string& text, uint8_t code, int cx, int top,
                 const PiktMetrics& m, PiktDrawing& out) const;
    void InColumn(int font, const std::string& text, uint8_t code, int column, int top,
                  const PiktMetrics& m, PiktDrawing& out) const;

    TPiktData data_;
    int mode_;
    bool printer_;
    bool startShown_;
    int cell_, extraB_, thin_, thick_, margin_;
    int x_ = 0, y_ = 0;
};

// The sheets of one page, each at its origin.
using PiktPage = std::vector<TPiktogram>;

// The sheet list of one file.
class TSeznamPopisu {
public:
    explicit TSeznamPopisu(bool printer) : printer_(printer) {}

    // Builds the sheets from the file's bytes (whole records only; the caller checks the size).
    void ReadRecords(std::string_view bytes);
    // Modes 1 and 2: tallest sheet first (equal heights keep file order); mode 0 keeps file order.
    void Sort();
    // Places the sheets on pages of the given size, in the order they are taken.
    std::vector<PiktPage> Pack(int pageWidth, int pageHeight) const;
    void Clear() { sheets_.clear(); }

    int Mode() const { return mode_; }
    bool Printer() const { return printer_; }
    const std::vector<TPiktogram>& Sheets() const { return sheets_; }

private:
    void Close(const TPiktData& data) { sheets_.emplace_back(data, mode_, printer_); }

    bool printer_;
    int mode_ = 0;
    std::vector<TPiktogram> sheets_;
};

} // namespace fPikt
