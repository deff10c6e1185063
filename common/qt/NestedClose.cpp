#include "NestedClose.h"

#include <QCloseEvent>
#include <QTimer>
#include <QWidget>

void TNestedClose::Run(const std::function<void()>& handler) {
    ++nested_;
    handler();
    --nested_;
    if (nested_ == 0 && pending_) {
        pending_ = false;
        // From the event loop, once whatever called this has returned.
        QTimer::singleShot(0, &form_, [f = &form_] { f->close(); });
    }
}

bool TNestedClose::Defer(QCloseEvent* event) {
    if (nested_ == 0) {
        return false;
    }
    pending_ = true;
    event->ignore();
    return true;
}
