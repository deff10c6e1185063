#pragma once

// Test doubles for the port's panel and for the message dialogs.

#include "Dialogs.h"
#include "SiPortTestSupport.h"

#include <string>
#include <vector>

namespace sitest {

class PanelView : public RecordingView {
public:
    void ShowCaption(const std::string& text) override { caption = text; }
    void ShowPath(const std::string& text) override { path = text; }
    void SetPanelVisible(bool on) override { panelVisible = on; }
    void SetInfoVisible(bool on) override { infoVisible = on; }
    void SetReadButtonVisible(bool on) override { readButton = on; }
    void SetWriteButtonVisible(bool on) override { writeButton = on; }
    void SetPanelTop(int t) override { tops.push_back(t); }

    std::string caption;
    std::string path;
    bool panelVisible = false;
    bool infoVisible = false;
    bool readButton = false;
    bool writeButton = true;
    std::vector<int> tops;
};

// Takes the message dialogs for as long as it lives.
class RecordingMessages : public Dialogs::IMessages {
public:
    RecordingMessages() { Dialogs::SetMessages(this); }
    ~RecordingMessages() override { Dialogs::SetMessages(nullptr); }
    void Error(const std::string& text) override { errors.push_back(text); }
    void Info(const std::string& text) override { infos.push_back(text); }
    bool Confirm(const std::string&) override { return false; }

    std::vector<std::string> errors;
    std::vector<std::string> infos;
};

} // namespace sitest
