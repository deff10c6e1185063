#pragma once

// A two-line, 20-character text display on its own serial line. It only listens: each line
// comes as ESC 'Q' 'A' (line 1) or ESC 'Q' 'B' (line 2), exactly 20 characters, then CR.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sisim {

class Display {
public:
    using Log = std::function<void(const std::string&)>;

    static constexpr int kBaud = 9600;
    static constexpr size_t kWidth = 20;

    explicit Display(Log log = {});

    void Receive(const uint8_t* bytes, size_t count);

    // What line 1 or 2 shows, in the 8-bit characters it was sent in; blanks until updated.
    const std::string& Line(int n) const { return n == 1 ? line1_ : line2_; }
    // Every byte the display was sent.
    const std::vector<uint8_t>& Received() const { return received_; }

    // A text for the log: UTF-8 in double quotes; control characters, quotes and backslashes
    // escaped.
    static std::string Quoted(const std::string& cp1250);

private:
    void Parse();
    void Say(const std::string& text) const;

    Log log_;
    std::string line1_ = std::string(kWidth, ' ');
    std::string line2_ = std::string(kWidth, ' ');
    std::vector<uint8_t> rx_;
    std::vector<uint8_t> received_;
};

} // namespace sisim
