#pragma once

// Header only: the test programs that use it link Qt Widgets themselves.

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <functional>

namespace testsupport {

// One application object for the whole test program, on the offscreen platform unless the
// environment names another.
inline void EnsureQtApp() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    new QApplication(argc, argv); // lives as long as the test program
}

// Runs `fn` on the modal dialog once it shows, from inside its event loop.
class OnModal {
public:
    explicit OnModal(std::function<void(QWidget&)> fn) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, fn] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                timer_.stop();
                fn(*w);
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

} // namespace testsupport
