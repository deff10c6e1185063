#include "Dialogs.h"

#include <iostream>

namespace Dialogs {

namespace {

class StderrMessages : public IMessages {
public:
    void Error(const std::string& text) override { std::cerr << "Error: " << text << '\n'; }
    void Info(const std::string& text) override { std::cerr << text << '\n'; }
    bool Confirm(const std::string& text) override {
        std::cerr << text << " (no one to ask: no)\n";
        return false;
    }
};

IMessages* g_messages = nullptr;

} // namespace

IMessages& Messages() {
    static StderrMessages fallback;
    return g_messages != nullptr ? *g_messages : fallback;
}

void SetMessages(IMessages* messages) {
    g_messages = messages;
}

} // namespace Dialogs
