#pragma once

#include "PrintBackend.h"
#include "Tools.h"

#include <string_view>

class QString;

namespace printing {

// Text printing on a print job, as a line printer would do it on a page: text is drawn at the
// current position in the current font, a line end moves down by the tallest text of the line,
// a tab moves to the next multiple of eight average character widths, text wraps at the right
// edge (by characters), a line that would not fit starts a new page, and a form feed starts a
// new page. A page is only started once something is drawn on it, so a form feed at the end
// leaves no empty last page (two form feeds in a row still give an empty page between them).
class TextPrinter {
public:
    explicit TextPrinter(PrintJob& job);

    void SetFont(const Tools::FontSpec& font);
    // Text without line ends; tabs and form feeds act as above.
    void Write(std::string_view utf8);
    void EndLine();

    // Something was drawn (a job without anything drawn needs no paper).
    bool Drawn() const { return drawn_; }
    // No page could be started: the job is broken.
    bool Ok() const { return ok_; }
    // Pages started so far.
    int Pages() const { return pages_; }

private:
    void DrawRun(const QString& text);
    void FormFeed();
    void Tab();
    // Before drawing at the start of a line: a new page when the line would not fit.
    void FitLine(int height);
    void StartOwedPages();

    PrintJob& job_;
    int pageWidth_;
    int pageHeight_;
    int x_ = 0;
    int y_ = 0;
    int lineHeight_ = 0; // tallest text drawn on the current line
    int owedPages_ = 0;  // page breaks not yet started
    int pages_ = 1;
    bool drawn_ = false;
    bool ok_ = true;
};

} // namespace printing
