#include "AboutTexts.h"

#include "SI_Typ.h"

namespace fAbout {

TAboutTexts AboutTexts(int tag) {
    using SI_Typ::LangText;
    TAboutTexts t;
    if (tag == 0) {
        t.productName = "QZ - načítání SI čipů";
        t.version = "Podpora pro program Ravlin";
        t.datumVerze = LangText("Verze ", "Version ") + "3.0.2.0. (6.3.2018)";
    } else {
        t.productName = LangText("QZ - Komentátor", "Orienteering for speaker");
        t.version = LangText("Program pro komentátora", "Program for speaker");
        t.datumVerze = LangText("Verze ", "Version ") + "1.9.8.1. (19.3.2013)";
    }
    t.autor = "Orienteering SI family\n" +
              LangText("programy pro orientační běh s SI", "programs for orienteering with SI");
    return t;
}

} // namespace fAbout
