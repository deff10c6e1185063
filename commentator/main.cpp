// Hlasvel, the commentator: the main window and the message loop.
//
// The program hooks (ProgramHooks.h) take the prefix HLASVEL_: the state file receives what the
// main window shows after every tick that changed it, SIGUSR1 saves a picture of every shown
// window, SIGTERM closes the window as its close button does.

#include "KomentTools.h"
#include "PipZvuk.h"
#include "ProgramHooks.h"
#include "QtMessages.h"
#include "SI_Typ.h"
#include "fQZ_Mez.h"
#include "platform/Paths.h"

#include <QApplication>

#include <filesystem>

int main(int argc, char** argv) {
    SI_Typ::ProgramKind = SI_Typ::KindCommentator;
    QApplication app(argc, argv);
    TQtMessages::SetApplicationTitle("Hlasvel");
    TProgramHooks hooks("HLASVEL_");

    std::error_code ec;
    std::filesystem::create_directories(Koment::PrintFolder(), ec);
    TQtMessages messages;
    Dialogs::SetMessages(&messages);

    TPipZvuk zvuk((platform::ProgramDir() / "pip.wav").string());
    TfQZ_Mez::TVolby volby;
    volby.Zvuk = &zvuk;
    TfQZ_Mez form(volby);
    messages.SetParent(&form);
    if (auto hook = hooks.StateHook([&form] { return form.StateText(); })) {
        form.SetTickHook(std::move(hook));
    }
    hooks.Watch(form);

    form.show();
    const int rc = QApplication::exec();
    Dialogs::SetMessages(nullptr);
    return rc;
}
