#pragma once

// The texts of the about box. The commentator shows the same box with a tag other than 0, so
// this depends on nothing of the chip reader.

#include <string>

namespace fAbout {

struct TAboutTexts {
    std::string productName;
    std::string version;
    std::string datumVerze;
    std::string autor; // the contact lines under "Autor :"
};

// Tag 0: the chip reader; any other tag: the commentator.
TAboutTexts AboutTexts(int tag);

} // namespace fAbout
