// Typorin: installs the fonts of the package carried behind its own program image, as a
// wizard or from the command line (/E extract, /I silent install, /? help).

#include "FontPackage.h"
#include "FontStore.h"
#include "InstallFonts.h"
#include "Wizard.h"
#include "frmMain.h"

#include "platform/Cp1250.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QMessageBox>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>

using namespace typorin;

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its configuration for the life of the process and never frees it; that is
// not a leak of ours.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace {

std::string Terminal(std::string text) {
    for (size_t p; (p = text.find("\r\n")) != std::string::npos;) {
        text.erase(p, 1);
    }
    return text;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

// Whether the X server of DISPLAY takes a connection: Qt aborts on one it cannot open. The
// connection stays open while the program runs: a server without other clients resets when
// the last one leaves, and would turn Qt away meanwhile.
bool XServerAnswers() {
    static std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> probe(nullptr,
                                                                                xcb_disconnect);
    if (!probe && !Env("DISPLAY").empty()) {
        probe.reset(xcb_connect(nullptr, nullptr));
    }
    return probe && xcb_connection_has_error(probe.get()) == 0;
}

// Whether someone can see the windows and answer a box, decided before Qt is started. Qt takes
// the first platform of its list (QT_QPA_PLATFORM, else X, after Wayland in a Wayland session)
// that starts: one without a screen (offscreen, minimal) always starts and nobody sees it; X
// starts only when its server answers.
bool HasDisplay() {
    std::string platforms = Env("QT_QPA_PLATFORM");
    if (platforms.empty()) {
        platforms = Env("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb";
    }
    for (size_t start = 0; start <= platforms.size();) {
        const size_t end = std::min(platforms.find(';', start), platforms.size());
        const std::string entry = platforms.substr(start, end - start);
        const std::string name = entry.substr(0, entry.find(':'));
        start = end + 1;
        if (name == "offscreen" || name.rfind("minimal", 0) == 0) {
            return false;
        }
        if (name == "xcb") {
            if (XServerAnswers()) {
                return true;
            }
        } else if (name == "wayland") {
            if (!Env("WAYLAND_DISPLAY").empty()) {
                return true;
            }
        } else if (!name.empty()) {
            return true; // a screen of its own (eglfs, linuxfb, vnc)
        }
    }
    return false;
}

// The terminal stands in for the Installing page in silent mode.
class TerminalView : public InstallView {
public:
    void Status(const std::string& text) override { std::cout << text << '\n'; }
    void Progress(int, int, const std::string&) override {}
    ReplaceAnswer AskReplace(const ReplaceQuestion&) override { return ReplaceAnswer::YesToAll; }
};

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const Command command = ParseCommandLine(args);
    const bool display = HasDisplay();
    // With a display the help is a message box too; without one it goes to the terminal.
    const bool windows = display && (command == Command::Wizard || command == Command::Help);
    if (command == Command::Wizard && !display) {
        std::cerr << NoDisplayText << '\n';
        return 2;
    }
    std::unique_ptr<QApplication> app;
    std::unique_ptr<frmExtracting> extracting;
    if (windows) {
        app = std::make_unique<QApplication>(argc, argv);
        extracting = std::make_unique<frmExtracting>();
        extracting->show();
        QApplication::processEvents();
    }

    FontconfigStore store;
    Package package;
    std::string reason;
    // Packing is the last build step: the package sits behind the image of this very file.
    FileSource self("/proc/self/exe");
    const bool loaded =
        self.IsOpen()
            ? LoadPackage(
                  self, [&store](const std::filesystem::path& f) { return store.FaceName(f); },
                  package, reason, FontIsWhole)
            : (reason = self.OpenError(), false);
    extracting.reset();
    if (!loaded) {
        if (windows) {
            QMessageBox::warning(nullptr, QString::fromUtf8(PackageErrorTitle),
                                 QString::fromUtf8(PackageErrorText) + QStringLiteral("\n\n") +
                                     QString::fromStdString(reason));
        } else {
            std::cerr << PackageErrorTitle << ": " << PackageErrorText << '\n' << reason << '\n';
        }
        return 1;
    }

    const std::string title = platform::Cp1250ToUtf8(package.data.title);
    switch (command) {
    case Command::Help:
        if (windows) {
            HelpBox()->exec();
        } else {
            std::cout << HelpTitle << "\n\n" << Terminal(HelpText) << '\n';
        }
        return 0;
    case Command::Extract:
        if (!ExtractFonts(package, platform::ProgramDir(), reason)) {
            std::cerr << reason << '\n';
            return 1;
        }
        return 0;
    case Command::Silent: {
        const UserEnv env = UserEnv::FromProcess();
        InstallRequest r;
        r.extractPath = package.folder.Path();
        r.fonts = package.fonts; // every font, as the Complete install
        r.fontFolder = FontsFolder(env);
        r.silent = true;
        r.links = true;
        r.title = title;
        r.url = platform::Cp1250ToUtf8(package.data.url);
        r.urlTitle = platform::Cp1250ToUtf8(package.data.urlTitle);
        r.favoritesFolder = FavoritesFolder(env);
        TerminalView view;
        const InstallResult result = InstallFonts(r, store, view);
        (result.ok ? std::cout : std::cerr) << Terminal(result.text) << '\n';
        return result.ok ? 0 : 1;
    }
    case Command::Wizard:
        break;
    }
    frmMain window(package, store, UserEnv::FromProcess());
    window.show();
    return QApplication::exec();
}
