#include "ProgramHooks.h"

#include "platform/Files.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
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
    if (g_signalFds[0] >= 0) {
        return true; // already caught for this process
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0) {
        return false;
    }
    ::fcntl(g_signalFds[1], F_SETFL, O_NONBLOCK);
    ::fcntl(g_signalFds[0], F_SETFL, O_NONBLOCK);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) {
        ::sigaction(sig, &sa, nullptr);
    }
    return true;
}

std::string EnvText(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    return v != nullptr ? v : "";
}

// Clicks the first shown, enabled button of that object name, else triggers the first enabled
// menu item of that name, once the signal's handler has returned: the click may open a modal
// form.
void ClickNamed(const std::string& file) {
    std::string name;
    if (!platform::ReadWholeFile(file, name, nullptr)) {
        return;
    }
    const QString wanted = QString::fromStdString(name).trimmed();
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget* top : tops) {
        for (QAbstractButton* b : top->findChildren<QAbstractButton*>(wanted)) {
            if (b->isVisible() && b->isEnabled()) {
                QTimer::singleShot(0, b, &QAbstractButton::click);
                return;
            }
        }
    }
    for (QWidget* top : tops) {
        for (QAction* a : top->findChildren<QAction*>(wanted)) {
            if (a->isEnabled()) {
                QTimer::singleShot(0, a, &QAction::trigger);
                return;
            }
        }
    }
}

} // namespace

// Tells whether the form is inside its own close handler. A close the window system began
// marks the form as closing while its handler runs (the close button's password, a question):
// a second close() then hides the window without running the handler, so the settings would
// never be stored. The hooks wait for the handler to return instead.
class TProgramHooks::TCloseWatch : public QObject {
public:
    bool inClose = false;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Close || inClose) {
            return false;
        }
        inClose = true;
        const QPointer<TCloseWatch> self = this;
        watched->event(e); // the form's own handling; its verdict stays on the event
        if (self) {
            inClose = false;
        }
        return true;
    }
};

TProgramHooks::TProgramHooks(std::string_view prefix)
    : stateFile_(EnvText(std::string(prefix) + "STATE_FILE")),
      screenshot_(EnvText(std::string(prefix) + "SCREENSHOT")),
      clickFile_(EnvText(std::string(prefix) + "CLICK_FILE")), signalsCaught_(CatchSignals()) {}

TProgramHooks::~TProgramHooks() = default;

void TProgramHooks::Watch(QWidget& form) {
    if (!signalsCaught_) {
        return;
    }
    closeWatch_ = std::make_unique<TCloseWatch>();
    form.installEventFilter(closeWatch_.get());
    notifier_ = std::make_unique<QSocketNotifier>(g_signalFds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, &form] {
        char sig = 0;
        while (::read(g_signalFds[0], &sig, 1) == 1) {
            if (sig == SIGUSR1) {
                if (!screenshot_.empty()) {
                    SaveScreenshots(form, screenshot_);
                }
            } else if (sig == SIGUSR2) {
                if (!clickFile_.empty()) {
                    ClickNamed(clickFile_);
                }
            } else {
                if (beforeClose_) {
                    beforeClose_();
                }
                EndRound(form);
            }
        }
    });
}

void TProgramHooks::EndRound(QWidget& form) {
    // Innermost first, as the application's own closing does; a bound in case a window reopens
    // itself at once.
    for (int n = 0; n < 32; ++n) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == &form) {
            break;
        }
        if (!modal->close() && modal->isVisible()) {
            modal->hide();
        }
    }
    if (form.isVisible() && !closeWatch_->inClose) {
        form.close();
    }
    if (!form.isVisible()) {
        if (ending_) {
            ending_->stop();
        }
        QApplication::quit();
        return;
    }
    // The form waits for a handler whose modal loop ends once this returns.
    if (!ending_) {
        ending_ = std::make_unique<QTimer>();
        ending_->setInterval(20);
        QObject::connect(ending_.get(), &QTimer::timeout, [this, &form] { EndRound(form); });
    }
    ending_->start();
}

std::function<void()> TProgramHooks::StateHook(std::function<std::string()> stateText) const {
    if (stateFile_.empty()) {
        return {};
    }
    return StateFileWriter(stateFile_, std::move(stateText));
}

std::function<void()> StateFileWriter(std::string file, std::function<std::string()> stateText) {
    return
        [file = std::move(file), stateText = std::move(stateText), last = std::string()]() mutable {
            std::string now = stateText();
            if (now != last && platform::WriteFileAtomic(file, now, nullptr)) {
                last = std::move(now);
            }
        };
}

void SaveScreenshots(QWidget& form, const std::string& file) {
    SaveScreenshot(form, file);
    const std::filesystem::path main(file);
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == &form || !w->isVisible() || !w->isWindow()) {
            continue;
        }
        ++n;
        const std::string name =
            w->objectName().isEmpty() ? std::to_string(n) : w->objectName().toStdString();
        SaveScreenshot(*w, (main.parent_path() /
                            (main.stem().string() + "-" + name + main.extension().string()))
                               .string());
    }
}

void SaveScreenshot(QWidget& window, const std::string& file) {
    const std::string part = file + ".part";
    if (window.grab().save(QString::fromStdString(part), "PNG")) {
        std::error_code ec;
        std::filesystem::rename(part, file, ec);
    }
}
