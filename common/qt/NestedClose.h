#pragma once

#include <functional>

class QCloseEvent;
class QWidget;

// A main form whose handlers may spin a nested event loop (a modal dialog, a message box in the
// middle of a timer tick): its close frees the settings and objects those handlers still use, so
// a close asked for while one runs waits until the outermost has returned, and then happens.
class TNestedClose {
public:
    explicit TNestedClose(QWidget& form) : form_(form) {}
    TNestedClose(const TNestedClose&) = delete;
    TNestedClose& operator=(const TNestedClose&) = delete;

    // Runs a handler that may spin a nested event loop.
    void Run(const std::function<void()>& handler);
    // For the form's closeEvent: true when the close has to wait (the event is then ignored and
    // the form closes once the outermost handler has returned).
    bool Defer(QCloseEvent* event);
    bool Running() const { return nested_ > 0; }

private:
    QWidget& form_;
    int nested_ = 0;
    bool pending_ = false;
};
