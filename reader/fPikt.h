#pragma once

#include "PiktPrint.h"

#include <QImage>
#include <QWidget>

class QLabel;

// The test form of the control-description sheets: "Formulář" draws c:\work\pikt.dat on the
// form, "Tiskárna" prints c:\work\print\pikto.dat as the spooler would; reading deletes either
// file. A development aid, shown only by a hidden item of the main menu.
class TPikt : public QWidget {
public:
    // `printer` is how the spooler prints a sheet file; drawing on the form uses its status
    // label and messages too.
    TPikt(fPikt::PiktHost printer, QWidget* parent);

    void FormularClick();
    void TiskarnaClick();
    // The canvas the last "Formulář" drew on: a printer's page in the printer's pixels, every
    // page of the file drawn over the one before.
    const QImage& Page() const { return page_; }

private:
    void Tiskni(const char* windowsPath, bool toPrinter, const fPikt::PiktHost& host);
    void DrawOnForm(const fPikt::PiktPageDraw& draw, bool firstPage);

    fPikt::PiktHost printer_;
    QLabel* canvas_ = nullptr;
    QImage page_;
};
