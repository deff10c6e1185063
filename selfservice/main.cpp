// Pultra, the self-service kiosk: the main form first, then the keyboard and the tile chooser
// it uses; everything runs from the main form's timers.
//
// The program hooks (ProgramHooks.h) take the prefix PULTRA_: the state file receives what the
// form shows after every timer tick and handler that changed it. A closing signal closes the
// form without the password and stores its placement.

#include "ProgramHooks.h"
#include "Pultra_Main.h"
#include "QtMessages.h"
#include "SI_Typ.h"
#include "fKlavesnice.h"
#include "fVyberBTN.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Before anything reads the settings or the ports.
    SI_Typ::ProgramKind = SI_Typ::KindSelfService;
    QApplication app(argc, argv);
    QApplication::setApplicationName("pultra");
    TProgramHooks hooks("PULTRA_");

    TQtMessages messages;
    Dialogs::SetMessages(&messages);

    TPultra_Main form;
    messages.SetParent(&form);
    TKlavesnice klavesnice(&form);
    fKlavesnice::Klavesnice = &klavesnice;
    TVyberBTN vyber(&form);
    vyber.DruhZav = [] { return Pultra::Inf.DruhZav; };
    form.SetVyber(&vyber);

    if (auto hook = hooks.StateHook([&form] { return form.StateText(); })) {
        form.SetTickHook(std::move(hook));
    }
    hooks.SetBeforeSignalClose([&form] { form.ZavritBezHesla(); });
    hooks.Watch(form);

    form.show();
    const int rc = QApplication::exec();
    fKlavesnice::Klavesnice = nullptr;
    Dialogs::SetMessages(nullptr);
    return rc;
}
