// The about box the chip reader and the commentator show.
#include "AboutBox.h"
#include "AboutTexts.h"
#include "SI_Typ.h"
#include "testsupport/DialogTestSupport.h"
#include "testsupport/QtApp.h"

#include <QLabel>

#include <gtest/gtest.h>

using testsupport::Child;
using testsupport::Click;
using testsupport::SavePicture;

TEST(AboutBoxTest, TextsByTagAndLanguage) {
    SI_Typ::ResetGlobals();
    fAbout::TAboutTexts t = fAbout::AboutTexts(0);
    EXPECT_EQ(t.productName, "QZ - načítání SI čipů");
    EXPECT_EQ(t.datumVerze, "Verze 3.0.2.0. (6.3.2018)");
    EXPECT_EQ(fAbout::AboutTexts(1).datumVerze, "Verze 1.9.8.1. (19.3.2013)");

    SI_Typ::Language = 1;
    // The chip reader's name is Czech in both languages.
    EXPECT_EQ(fAbout::AboutTexts(0).productName, "QZ - načítání SI čipů");
    EXPECT_EQ(fAbout::AboutTexts(7).productName, "Orienteering for speaker");

    testsupport::EnsureQtApp();
    TAboutBox box(1);
    box.show();
    EXPECT_EQ(Child<QLabel>(box, "ProductName")->text(), "Orienteering for speaker");
    SavePicture(box, "AboutBox-1.png");
    SI_Typ::Language = 0;
    box.SetTag(0);
    Click(box, "OKButton");
    EXPECT_FALSE(box.isVisible());
    box.show();
    EXPECT_EQ(Child<QLabel>(box, "ProductName")->text(), "QZ - načítání SI čipů");
    SavePicture(box, "AboutBox-0.png");
    SI_Typ::ResetGlobals();
}
