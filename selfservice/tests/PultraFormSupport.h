#pragma once

// A fixture for the kiosk's main form in the test process, offscreen: the form with the
// keyboard and the tile chooser it uses, made as main() makes them, on the Pultra.ini the test
// has written into the working folder.

#include "KioskTestSupport.h"
#include "Pultra_Main.h"
#include "fKlavesnice.h"
#include "fVyberBTN.h"
#include "testsupport/QtApp.h"

#include <memory>

namespace kiosktest {

class KioskFormTest : public KioskTest {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        testsupport::EnsureQtApp();
        SI_Typ::ProgramKind = SI_Typ::KindSelfService;
        Pultra::Inf = Pultra::TPultraInf{};
    }
    void OpenForm() {
        form = std::make_unique<TPultra_Main>();
        form->resize(1280, 1024);
        klavesnice = std::make_unique<TKlavesnice>(form.get());
        fKlavesnice::Klavesnice = klavesnice.get();
        vyber = std::make_unique<TVyberBTN>(form.get());
        form->SetVyber(vyber.get());
        form->show();
    }
    void TearDown() override {
        if (form) {
            form->ZavritBezHesla();
            form->close();
        }
        vyber.reset();
        klavesnice.reset();
        fKlavesnice::Klavesnice = nullptr;
        form.reset();
        KioskTest::TearDown();
    }

    std::unique_ptr<TPultra_Main> form;
    std::unique_ptr<TKlavesnice> klavesnice;
    std::unique_ptr<TVyberBTN> vyber;
};

} // namespace kiosktest
