// Cardvane, the chip reader: one instance per program file and user, then the main window.
//
// Test hooks (environment): CARDVANE_STATE_FILE names a file that receives what the window
// shows after every timer tick that changed it; CARDVANE_SCREENSHOT names a PNG file that
// receives a picture of the window on SIGUSR1. SIGTERM, SIGINT and SIGHUP close the window
// as its close button does, so the settings are stored.

#include "QZ_SI.h"
#include "QtMessages.h"
#include "SI_Typ.h"
#include "SingleInstance.h"
#include "fDefTisk.h"
#include "platform/Files.h"

#include <QApplication>
#include <QPixmap>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalFds[2] = {-1, -1};

void OnSignal(int sig) {
    const char c = static_cast<char>(sig);
    // Nothing to do when the pipe is full: a signal of the same kind is already waiting.
    [[maybe_unused]] const ssize_t n = ::write(g_signalFds[1], &c, 1);
}

// Signals arrive through a socket pair, so they are handled in the event loop.
bool CatchSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0) {
        return false;
    }
    ::fcntl(g_signalFds[1], F_SETFL, O_NONBLOCK);
    ::fcntl(g_signalFds[0], F_SETFL, O_NONBLOCK);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) {
        ::sigaction(sig, &sa, nullptr);
    }
    return true;
}

std::string EnvText(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

void SaveScreenshot(QWidget& window, const std::string& file) {
    // Under a temporary name first, so a reader never sees half a picture.
    const std::string part = file + ".part";
    if (window.grab().save(QString::fromStdString(part), "PNG")) {
        std::error_code ec;
        std::filesystem::rename(part, file, ec);
    }
}

} // namespace

int main(int argc, char** argv) {
    SI_Typ::ProgramKind = SI_Typ::KindReader;
    QApplication app(argc, argv);
    QApplication::setApplicationName("cardvane");
    QApplication::setApplicationDisplayName("QZ - SI");

    // Before anything touches a settings file or a port.
    TSingleInstance instance(TSingleInstance::KeyFor(QCoreApplication::applicationFilePath()));
    if (!instance.Claim()) {
        std::fprintf(stderr, "cardvane: already running from this program file; its window was "
                             "brought to the front.\n");
        return 0;
    }
    const bool signalsCaught = CatchSignals();

    fDefTisk::VytvorTiskovouSlozku();
    TQtMessages messages;
    Dialogs::SetMessages(&messages);

    // The main window first: its creation (settings, ports, detection) uses none of the other
    // forms; it then makes them in their order (TfSetCom, TAboutBox, TfCisZav, TfFont,
    // TDefTisk, TfZapKont) and starts its timers.
    TfQZ_SI form;
    messages.SetParent(&form);
    instance.onRaise = [&form] { form.BringToFront(); };

    const std::string stateFile = EnvText("CARDVANE_STATE_FILE");
    const std::string screenshot = EnvText("CARDVANE_SCREENSHOT");
    if (!stateFile.empty()) {
        form.SetTickHook([&form, stateFile, last = std::string()]() mutable {
            std::string now = form.StateText();
            if (now != last && platform::WriteFileAtomic(stateFile, now, nullptr)) {
                last = std::move(now);
            }
        });
    }

    std::unique_ptr<QSocketNotifier> notifier;
    if (signalsCaught) {
        notifier = std::make_unique<QSocketNotifier>(g_signalFds[0], QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [&] {
            char sig = 0;
            while (::read(g_signalFds[0], &sig, 1) == 1) {
                if (sig == SIGUSR1) {
                    if (!screenshot.empty()) {
                        SaveScreenshot(form, screenshot);
                    }
                } else {
                    form.close();
                    QCoreApplication::quit();
                }
            }
        });
    }

    form.show();
    const int rc = QApplication::exec();
    Dialogs::SetMessages(nullptr);
    return rc;
}
