#pragma once

#include "QZ_ORIS.h"

#include <string>
#include <string_view>

// Converters of the ORIS XML answers into the text files Ravlin imports: one line per record,
// fields each followed by ';', Windows-1250 with CR LF.
namespace QZ_ORIS {

// Modes of the converters that gather several downloads into one file.
enum : int { RezimZacatek = 0, RezimPrevod = 1, RezimKonec = 2 };

// Converts the work file of the request into its output file FN by the request's method.
// Mode 0 starts (empties) the output and mode 2 finishes it for the methods with several
// downloads; the others convert in every mode. On failure the error text holds the
// converter's message and the output keeps the lines written before the failure.
bool PrevedXmlOris(TPozadavekOris& poz, int mode);

// The conversion of one downloaded document held in memory: `output` gets the Windows-1250
// bytes mode 1 would write. Lets a document be converted without files.
bool PrevedXmlText(std::string_view xml, TPozadavekOris& poz, std::string& output);

} // namespace QZ_ORIS
