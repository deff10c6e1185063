// Cardvane, the chip reader: one instance per program file and user, then the main window.
//
// The program hooks (ProgramHooks.h) take the prefix CARDVANE_: the state file receives what the
// window shows after every timer tick that changed it.

#include "ProgramHooks.h"
#include "QZ_SI.h"
#include "QtMessages.h"
#include "SI_Typ.h"
#include "SingleInstance.h"
#include "fDefTisk.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    SI_Typ::ProgramKind = SI_Typ::KindReader;
    QApplication app(argc, argv);
    QZ_SI::InitApplication();

    // Before anything touches a settings file or a port.
    TSingleInstance instance(TSingleInstance::KeyFor(QCoreApplication::applicationFilePath()));
    if (!instance.Claim()) {
        std::fprintf(stderr, "cardvane: already running from this program file; its window was "
                             "brought to the front.\n");
        return 0;
    }
    TProgramHooks hooks("CARDVANE_");

    fDefTisk::VytvorTiskovouSlozku();
    TQtMessages messages;
    Dialogs::SetMessages(&messages);

    // The main window first: its creation (settings, ports, detection) uses none of the other
    // forms; it then makes them in their order (TfSetCom, TAboutBox, TfCisZav, TfFont,
    // TDefTisk, TfZapKont, TPikt) and starts its timers.
    TfQZ_SI form;
    messages.SetParent(&form);
    instance.onRaise = [&form] { form.BringToFront(); };

    if (auto hook = hooks.StateHook([&form] { return form.StateText(); })) {
        form.SetTickHook(std::move(hook));
    }
    hooks.Watch(form);

    form.show();
    const int rc = QApplication::exec();
    Dialogs::SetMessages(nullptr);
    return rc;
}
