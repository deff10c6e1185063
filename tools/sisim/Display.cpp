#include "Display.h"

#include "platform/Cp1250.h"

#include <algorithm>
#include <cstdio>

namespace sisim {

namespace {

constexpr uint8_t ESC = 0x1B;
constexpr uint8_t CR = 0x0D;
// ESC, 'Q', the line letter, the text, CR.
constexpr size_t kCommandSize = 3 + Display::kWidth + 1;

std::string HexBytes(const uint8_t* b, size_t n) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "%02X" : " %02X", b[i]);
        s += buf;
    }
    return s;
}

} // namespace

Display::Display(Log log) : log_(std::move(log)) {}

void Display::Say(const std::string& text) const {
    if (log_) {
        log_(text);
    }
}

std::string Display::Quoted(const std::string& cp1250) {
    std::string out = "\"";
    for (const char ch : platform::Cp1250ToUtf8(cp1250)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

void Display::Receive(const uint8_t* bytes, size_t count) {
    received_.insert(received_.end(), bytes, bytes + count);
    rx_.insert(rx_.end(), bytes, bytes + count);
    Parse();
}

void Display::Parse() {
    while (!rx_.empty()) {
        // Anything but a whole line command is skipped up to the next ESC.
        const auto skip = [&](size_t from, const std::string& why) {
            const auto next = std::find(rx_.begin() + static_cast<long>(from), rx_.end(), ESC);
            const size_t n = static_cast<size_t>(next - rx_.begin());
            Say("display: " + why + ", skipped " + HexBytes(rx_.data(), n));
            rx_.erase(rx_.begin(), next);
        };
        if (rx_[0] != ESC) {
            skip(0, "stray bytes");
            continue;
        }
        if (rx_.size() >= 2 && rx_[1] != 'Q') {
            skip(1, "not a line command");
            continue;
        }
        if (rx_.size() >= 3 && rx_[2] != 'A' && rx_[2] != 'B') {
            skip(1, "no line A or B");
            continue;
        }
        if (rx_.size() < kCommandSize) {
            return;
        }
        const char which = static_cast<char>(rx_[2]);
        if (rx_[kCommandSize - 1] != CR) {
            skip(1, std::string("line ") + which + " not ended by CR after " +
                        std::to_string(kWidth) + " characters");
            continue;
        }
        std::string text(rx_.begin() + 3, rx_.begin() + 3 + static_cast<long>(kWidth));
        rx_.erase(rx_.begin(), rx_.begin() + static_cast<long>(kCommandSize));
        if (which == 'A') {
            line1_ = std::move(text);
            Say(std::string("display line A ") + Quoted(line1_));
        } else {
            // Line 2 ends an update: the log shows what the display shows now.
            line2_ = std::move(text);
            Say("display " + Quoted(line1_) + " " + Quoted(line2_));
        }
    }
}

} // namespace sisim
