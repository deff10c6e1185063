#include "TextPrinter.h"

#include "SI_FontForm.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QString>

#include <algorithm>

namespace printing {

namespace {

// The longest piece of `text` from `from` on that fits in `room`. Only pieces up to about twice
// what fits are measured, so a line of any length wraps in time that grows with its length, not
// with its square.
qsizetype FittingLength(const QFontMetrics& fm, const QString& text, qsizetype from, int room) {
    const qsizetype left = text.size() - from;
    auto fits = [&](qsizetype n) { return fm.horizontalAdvance(text.mid(from, n)) <= room; };
    qsizetype lo = 0; // fits
    qsizetype hi = 1;
    while (hi < left && fits(hi)) {
        lo = hi;
        hi *= 2;
    }
    if (hi >= left) {
        if (fits(left)) {
            return left;
        }
        hi = left;
    }
    // lo fits, hi does not.
    while (hi - lo > 1) {
        const qsizetype mid = lo + (hi - lo) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    return lo;
}

} // namespace

TextPrinter::TextPrinter(PrintJob& job)
    : job_(job), pageWidth_(job.Painter().device()->width()),
      pageHeight_(job.Painter().device()->height()) {}

void TextPrinter::SetFont(const Tools::FontSpec& font) {
    QPainter& p = job_.Painter();
    p.setFont(SI_Font::ToQFont(font));
    p.setPen(SI_Font::ToQColor(font.color));
}

void TextPrinter::Write(std::string_view utf8) {
    size_t from = 0;
    for (size_t i = 0; i <= utf8.size(); ++i) {
        const bool end = i == utf8.size();
        const char c = end ? '\0' : utf8[i];
        if (!end && c != '\t' && c != '\f' && c != '\n' && c != '\r') {
            continue;
        }
        if (i > from) {
            DrawRun(QString::fromUtf8(utf8.data() + from, static_cast<qsizetype>(i - from)));
        }
        from = i + 1;
        if (c == '\t') {
            Tab();
        } else if (c == '\f') {
            FormFeed();
        } else if (c == '\n') {
            EndLine();
        }
    }
}

void TextPrinter::DrawRun(const QString& text) {
    QPainter& p = job_.Painter();
    const QFontMetrics fm = p.fontMetrics();
    // What is left to draw starts at `from`; the text itself is never shortened, which would
    // move the whole rest for every line.
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype left = text.size() - from;
        const int room = pageWidth_ - x_;
        qsizetype fit = FittingLength(fm, text, from, room);
        if (fit > 0 && fit < left && text.at(from + fit - 1).isHighSurrogate()) {
            --fit;
        }
        if (fit == 0) {
            if (x_ > 0) {
                EndLine();
                continue;
            }
            // Not even one character fits a whole line: draw it anyway rather than loop.
            fit = text.at(from).isHighSurrogate() && left > 1 ? 2 : 1;
        }
        if (x_ == 0) {
            FitLine(fm.height());
        }
        StartOwedPages();
        if (!ok_) {
            return;
        }
        const QString piece = text.mid(from, fit);
        p.drawText(QPoint(x_, y_ + fm.ascent()), piece);
        drawn_ = true;
        lineHeight_ = std::max(lineHeight_, fm.height());
        x_ += fm.horizontalAdvance(piece);
        from += fit;
        if (from < text.size()) {
            EndLine();
        }
    }
}

void TextPrinter::Tab() {
    const int width = std::max(8 * job_.Painter().fontMetrics().averageCharWidth(), 1);
    x_ = (x_ / width + 1) * width;
    if (x_ > pageWidth_) {
        EndLine();
    }
}

void TextPrinter::EndLine() {
    const int fontHeight = job_.Painter().fontMetrics().height();
    y_ += lineHeight_ > 0 ? lineHeight_ : fontHeight;
    x_ = 0;
    lineHeight_ = 0;
    if (y_ + fontHeight > pageHeight_) {
        FormFeed();
    }
}

void TextPrinter::FormFeed() {
    ++owedPages_;
    x_ = 0;
    y_ = 0;
    lineHeight_ = 0;
}

void TextPrinter::FitLine(int height) {
    if (y_ > 0 && y_ + height > pageHeight_) {
        FormFeed();
    }
}

void TextPrinter::StartOwedPages() {
    for (; owedPages_ > 0 && ok_; --owedPages_) {
        ok_ = job_.NewPage();
        ++pages_;
    }
}

} // namespace printing
