#include "PiktSheets.h"

#include "platform/Cp1250.h"

#include <algorithm>
#include <charconv>
#include <list>

namespace fPikt {

namespace {

std::string Trim(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && static_cast<unsigned char>(s[a]) <= ' ') {
        ++a;
    }
    while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') {
        --b;
    }
    return std::string(s.substr(a, b - a));
}

std::string Left(std::string_view s, size_t n) {
    return platform::Utf8Left(s, n);
}

std::string FixedTwo(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("?");
}

// Header of a runner's sheet (modes 1 and 2).
void RunnerHeader(const TPiktRec& rec, TPiktData& d) {
    d.header[0] = Left("(" + std::to_string(rec.Number()) + ") " + rec.Name(), 30);
    std::string line2 = Left(rec.FirstText() + " " + rec.SecondText(), 8);
    line2 = Left(line2 + "\t    SI : ", 17);
    line2 += rec.SiCard() > 0 ? std::to_string(rec.SiCard()) : std::string("nahlásit !!!");
    d.header[1] = Left(line2, 30);
    const std::string s1 = rec.StartText1(), s3 = rec.StartText3();
    d.header[2] =
        Left(!s1.empty() || s3.empty() ? "Start : " + Trim(s1) + " = " + Trim(rec.StartText2())
                                       : "Start : " + Trim(s3),
             30);
    d.header[3].clear();
}

} // namespace

std::string PictogramText(uint8_t code) {
    const unsigned cp = 0xF000u + code;
    std::string s;
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
    return s;
}

// ---- reading ------------------------------------------------------------------------------

void TSeznamPopisu::ReadRecords(std::string_view bytes) {
    sheets_.clear();
    const size_t count = bytes.size() / TPiktRec::Size;
    if (count == 0) {
        return;
    }
    auto rec = [&](size_t i) {
        return TPiktRec::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data()) +
                                   i * TPiktRec::Size);
    };
    mode_ = rec(0).Kind();
    TPiktData d;

    if (mode_ == 0) {
        // A plain list of controls, 35 to a sheet. A full sheet is closed only when the next
        // control or start comes, so that a course of 35 (or 70 ...) controls keeps its finish
        // row instead of losing it to an empty sheet that is never closed.
        TPiktRow finish;
        for (size_t i = 0; i < count; ++i) {
            const TPiktRec r = rec(i);
            const bool full = d.n == MaxControls;
            switch (r.Kind()) {
            case KindStart:
                if (full) {
                    Close(d);
                    d = TPiktData();
                }
                d.rows[0] = r.Row();
                break;
            case KindControl:
                if (full) {
                    Close(d);
                    d = TPiktData();
                }
                d.rows[++d.n] = r.Row();
                break;
            case KindFinish:
                finish = r.Row();
                break;
            default:
                break;
            }
        }
        if (d.n >= 1) {
            d.rows[d.n + 1] = finish;
            Close(d);
        }
        return;
    }
    if (mode_ > 2) {
        return; // an unknown list: nothing of it can be drawn
    }
    for (size_t i = 0; i < count; ++i) {
        const TPiktRec r = rec(i);
        switch (r.Kind()) {
        case KindRunner:
            d = TPiktData();
            RunnerHeader(r, d);
            break;
        case KindHeader4:
            d.header[3] = r.HeaderLine4();
            break;
        case KindCourse:
            d.courseName = r.CourseName();
            d.courseLength = r.Length();
            d.climb = r.Climb();
            d.n = 0;
            break;
        case KindStart:
            d.rows[0] = r.Row();
            break;
        case KindControl:
            if (d.n < MaxControls) {
                d.rows[++d.n] = r.Row();
            }
            break;
        case KindFinish:
            // The sheet is closed with the data as they are; they stay for the next records.
            d.rows[d.n + 1] = r.Row();
            Close(d);
            break;
        default:
            break;
        }
    }
}

void TSeznamPopisu::Sort() {
    if (mode_ == 1 || mode_ == 2) {
        std::stable_sort(
            sheets_.begin(), sheets_.end(),
            [](const TPiktogram& a, const TPiktogram& b) { return a.Height() > b.Height(); });
    }
}

std::vector<PiktPage> TSeznamPopisu::Pack(int pageWidth, int pageHeight) const {
    std::vector<PiktPage> pages;
    if (sheets_.empty()) {
        return pages;
    }
    std::list<TPiktogram> left(sheets_.begin(), sheets_.end());
    const int cell = sheets_.front().Cell();
    const int columnStep = sheets_.front().Width() + cell / 2;
    PiktPage page;
    int x = 0, y = 0;
    auto fitting = [&] {
        return std::find_if(left.begin(), left.end(), [&](const TPiktogram& s) {
            return s.Height() < pageHeight - y && s.Width() < pageWidth - x;
        });
    };
    while (!left.empty()) {
        auto it = fitting();
        if (it == left.end()) {
            x += columnStep;
            y = 0;
            it = fitting();
        }
        if (it == left.end()) {
            // Nothing fits here: the next page. A sheet too big for any page goes at the top of
            // the page it starts, and a page that holds nothing yet is not given up empty.
            if (!page.empty()) {
                pages.push_back(std::move(page));
                page.clear();
            }
            x = 0;
            y = 0;
            it = left.begin();
        }
        TPiktogram sheet = *it;
        left.erase(it);
        sheet.SetOrigin(x, y);
        y += cell / 2 + sheet.Height();
        page.push_back(std::move(sheet));
    }
    pages.push_back(std::move(page));
    return pages;
}

// ---- geometry -----------------------------------------------------------------------------

TPiktogram::TPiktogram(const TPiktData& data, int mode, bool printer)
    : data_(data), mode_(mode), printer_(printer),
      startShown_(data.rows[0].Byte(2) != 0 && data.rows[0].Byte(4) != 0), cell_(printer ? 80 : 25),
      extraB_(printer ? 10 : 5), thin_(printer ? 2 : 1), thick_(printer ? 4 : 3),
      margin_(printer ? 8 : 3) {}

bool TPiktogram::HasFinishRow() const {
    return data_.rows[data_.n + 1].Typ() == RowFinish;
}

void TPiktogram::SetOrigin(int x, int y) {
    x_ = x;
    y_ = y;
}

int TPiktogram::LineX(int k) const {
    return x_ + k * cell_ + (k >= 2 ? extraB_ : 0);
}

int TPiktogram::HeaderHeight() const {
    return mode_ == 1 ? 3 * cell_ : 0;
}

int TPiktogram::PositionTop(int p) const {
    return y_ + HeaderHeight() + p * cell_;
}

int TPiktogram::RowOffset() const {
    if (mode_ == 0) {
        return startShown_ ? 0 : -1;
    }
    return startShown_ ? 2 : 1;
}

int TPiktogram::Width() const {
    return LineX(8) - x_;
}

int TPiktogram::Height() const {
    return HeaderHeight() + (data_.n + (startShown_ ? 4 : 3)) * cell_;
}

// ---- what a sheet draws -------------------------------------------------------------------

PiktDrawing TPiktogram::Layout(const PiktMetrics& metrics) const {
    PiktDrawing out;
    Grid(out);
    Header(metrics, out);
    for (int r = startShown_ ? 0 : 1; r <= data_.n + 1; ++r) {
        Row(r, metrics, out);
    }
    return out;
}

void TPiktogram::Grid(PiktDrawing& out) const {
    const bool plain = mode_ == 0;
    const int n = data_.n;
    const int rows = plain ? n + (startShown_ ? 1 : 0) + (HasFinishRow() ? 1 : 0)
                           : n + 3 + (startShown_ ? 1 : 0);
    auto lineY = [&](int i) { return i == 0 ? y_ : y_ + HeaderHeight() + i * cell_; };
    const int bottom = lineY(rows);

    for (int i = 0; i <= rows; ++i) {
        bool thick;
        if (plain) {
            thick = i == 0 || i == rows;
        } else if (i <= 2 || i >= rows - 1) {
            thick = true;
        } else if (i == 3) {
            thick = false;
        } else {
            thick = (startShown_ ? i : i + 1) % 3 == 0;
        }
        out.lines.push_back({LineX(plain ? 1 : 0), lineY(i), LineX(8), lineY(i), thick});
    }
    for (int k = plain ? 1 : 0; k <= 8; ++k) {
        int top = y_, end = bottom;
        if (plain) {
            if (HasFinishRow() && k >= 2 && k <= 7) {
                end = bottom - cell_;
            }
        } else if (k >= 1 && k <= 7) {
            // The header is one undivided cell, the course row is divided by lines 3 and 6 only,
            // and the finish row is one merged cell.
            top = y_ + HeaderHeight() + cell_;
            if (k != 3 && k != 6) {
                top += cell_;
            }
            end = bottom - cell_;
        }
        const bool thick = k == 0 || k == 3 || k == 6 || k == 8 || (plain && k == 1);
        out.lines.push_back({LineX(k), top, LineX(k), end, thick});
    }
}

void TPiktogram::Centred(int font, const std::string& text, uint8_t code, int cx, int top,
                         const PiktMetrics& m, PiktDrawing& out) const {
    out.texts.push_back({font, text, code, cx - m.TextWidth(font, text) / 2,
                         top + (cell_ - m.TextHeight(font)) / 2});
}

void TPiktogram::InColumn(int font, const std::string& text, uint8_t code, int column, int top,
                          const PiktMetrics& m, PiktDrawing& out) const {
    Centred(font, text, code, (LineX(column - 1) + LineX(column)) / 2, top, m, out);
}

void TPiktogram::Header(const PiktMetrics& m, PiktDrawing& out) const {
    if (mode_ == 0) {
        return;
    }
    int y = y_ + 3;
    const int x = x_ + 3;
    const int fonts[4] = {FontTitle, FontHeader, FontHeader, FontHeader};
    // Each line lies 13/10 of the previous line's height lower; line 4 stands apart (18/10).
    const int gaps[4] = {0, 13, 13, 18};
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            y += m.TextHeight(fonts[i - 1]) * gaps[i] / 10;
        }
        if (!data_.header[i].empty()) {
            out.texts.push_back({fonts[i], data_.header[i], 0, x, y});
        }
    }
    const int top = PositionTop(1);
    if (!data_.courseName.empty()) {
        InColumn(FontCourse, data_.courseName, 0, 2, top, m, out);
    }
    InColumn(FontCourse, FixedTwo(data_.courseLength) + " km", 0, 5, top, m, out);
    Centred(FontCourse, std::to_string(data_.climb) + " m", 0, LineX(7), top, m, out);
}

void TPiktogram::Row(int r, const PiktMetrics& m, PiktDrawing& out) const {
    const TPiktRow& row = data_.rows[static_cast<size_t>(r)];
    const int top = PositionTop(r + RowOffset());
    auto pictogram = [&](uint8_t code, int column) {
        InColumn(FontPictogram, PictogramText(code), code, column, top, m, out);
    };
    switch (row.Typ()) {
    case RowStart:
    case RowControl:
        if (row.Typ() == RowStart) {
            pictogram(row.Byte(8), 2);
        } else {
            if (mode_ != 0) {
                InColumn(FontNumber, std::to_string(r), 0, 1, top, m, out);
            }
            InColumn(FontCode, std::to_string(row.Byte(2)), 0, 2, top, m, out);
        }
        for (int k = 3; k <= 8; ++k) {
            if (row.Byte(k) != 0 && !(k == 8 && row.Typ() == RowStart && startShown_)) {
                pictogram(row.Byte(k), k);
            }
        }
        if (const std::string text = row.Text(); !text.empty()) {
            ColumnF(text, top, m, out);
        }
        break;
    case RowFinish: {
        const std::string distance = row.Text();
        if (distance.empty()) {
            break;
        }
        pictogram('"', mode_ == 0 ? 2 : 1);
        const uint8_t first = row.Byte(2), last = row.Byte(7);
        for (int k = mode_ == 0 ? 3 : 2; k <= 7; ++k) {
            const uint8_t code = row.Byte(k);
            if (code == 0) {
                continue;
            }
            // Pieces sit on the grid lines around the distance text; the shifts keep the end
            // pieces clear of the control and finish circles.
            int cx = LineX(k - 1) + (k >= 5 ? cell_ : 0);
            if (k == 2 && (first == '&' || first == ')')) {
                cx += cell_ / 4;
            } else if (k == 3 && first == ')') {
                cx += cell_ / 8;
            } else if (k == 6 && last == '(') {
                cx -= cell_ / 8;
            } else if (k == 7 && last == '(') {
                cx -= cell_ / 4;
            }
            Centred(FontPictogram, PictogramText(code), code, cx, top, m, out);
        }
        if (row.Byte(8) != 0) {
            pictogram(row.Byte(8), 8);
        }
        Centred(FontHeader, distance, 0, LineX(4), top, m, out);
        break;
    }
    default:
        break;
    }
}

void TPiktogram::ColumnF(const std::string& text, int top, const PiktMetrics& m,
                         PiktDrawing& out) const {
    const int left = LineX(5);
    auto corners = [&](const std::string& upper, const std::string& lower) {
        out.texts.push_back({FontSmall, upper, 0, left + 1, top + 1});
        out.texts.push_back({FontSmall, lower, 0,
                             left + cell_ - m.TextWidth(FontSmall, lower) - margin_,
                             top + cell_ - m.TextHeight(FontSmall)});
    };
    if (const size_t slash = text.find('/'); slash != std::string::npos) {
        // A height over a width, or similar: two small numbers divided by a diagonal.
        corners(text.substr(0, slash), Left(text.substr(slash + 1), 3));
        out.lines.push_back({left, top + cell_, LineX(6), top, false});
    } else if (const size_t blank = text.find(' ');
               platform::Utf8Length(text) > 3 && blank != std::string::npos) {
        corners(text.substr(0, blank), text.substr(blank + 1));
    } else {
        InColumn(FontColumnF, text, 0, 6, top, m, out);
    }
}

} // namespace fPikt
