#pragma once

// The hooks every windowed program installs in main(), named by the program's prefix in the
// environment (CARDVANE_, PULTRA_, HLASVEL_):
//   <prefix>STATE_FILE names a file that receives the main form's state text whenever it
//   changed; <prefix>SCREENSHOT names a PNG file that receives a picture of the main form on
//   SIGUSR1, and every other shown window goes beside it as <name>-<window name>.png;
//   <prefix>CLICK_FILE names a file holding the object name of a button or a menu item that
//   SIGUSR2 clicks (in any window, a modal form included), so a test can press what a user
//   presses. SIGTERM, SIGINT and SIGHUP end the program whatever is open: every modal window is
//   closed as its close button would close it (one that refuses, such as a dialog whose checks
//   failed or a question, is hidden, which ends its loop all the same), the main form closes as
//   its close button does, so its settings are stored, and the event loop ends.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QSocketNotifier;
class QTimer;
class QWidget;

class TProgramHooks {
public:
    // Reads the environment and catches the signals at once; those that come before Watch()
    // wait until the event loop runs. One per program.
    explicit TProgramHooks(std::string_view prefix);
    ~TProgramHooks();
    TProgramHooks(const TProgramHooks&) = delete;
    TProgramHooks& operator=(const TProgramHooks&) = delete;

    // From now on the signals act on the form.
    void Watch(QWidget& form);
    // Runs before a closing signal closes the form: a form that asks before it closes (a
    // password, a question) lets this close through at once.
    void SetBeforeSignalClose(std::function<void()> fn) { beforeClose_ = std::move(fn); }
    // What the form calls after each change of its state (e.g. a timer tick); nothing to call
    // when no state file was asked for.
    std::function<void()> StateHook(std::function<std::string()> stateText) const;

    const std::string& StateFile() const { return stateFile_; }
    const std::string& Screenshot() const { return screenshot_; }

private:
    // One round of ending the program; rounds repeat until the main form has closed, since a
    // handler whose modal window was ended may open another.
    void EndRound(QWidget& form);

    std::string stateFile_;
    std::string screenshot_;
    std::string clickFile_;
    bool signalsCaught_ = false;
    std::function<void()> beforeClose_;
    class TCloseWatch;
    std::unique_ptr<TCloseWatch> closeWatch_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> ending_;
};

// Writes the state text to the file, whole or not at all, only when it differs from what the
// last successful write put there.
std::function<void()> StateFileWriter(std::string file, std::function<std::string()> stateText);

// The main form into the file, every other shown window beside it (see above).
void SaveScreenshots(QWidget& form, const std::string& file);

// Saves a picture of the window as PNG, under a temporary name first so a reader never sees
// half a picture.
void SaveScreenshot(QWidget& window, const std::string& file);
