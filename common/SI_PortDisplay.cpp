// The display station: two lines of 20 characters in its own 8-bit code page, written and
// never answered.

#include "SI_Port.h"
#include "platform/Cp1250.h"

namespace {

constexpr size_t DisplayWidth = 20;
constexpr uint8_t ESC = 0x1B;
constexpr uint8_t CR = 0x0D;

// The display counts bytes, so the text is converted before it is filled and cut. Control
// characters would be taken as commands and break the line apart: they show as blanks.
std::string DisplayLine(const std::string& utf8) {
    std::string s = platform::Utf8ToCp1250(utf8);
    for (char& c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            c = ' ';
        }
    }
    s.resize(DisplayWidth, ' ');
    return s;
}

} // namespace

void TSIPort::ShowOnDisplay(const std::string& line1, const std::string& line2) {
    const std::string text1 = DisplayLine(line1);
    const std::string text2 = DisplayLine(line2);
    if (!port || !port->IsOpen()) {
        return;
    }
    const uint8_t selectLine1[] = {ESC, 'Q', 'A'};
    const uint8_t selectLine2[] = {ESC, 'Q', 'B'};
    const uint8_t cr = CR;
    auto write = [this](const void* bytes, size_t n) {
        port->Write(static_cast<const uint8_t*>(bytes), static_cast<int>(n));
    };
    // A display that is gone must not stop the program: failures are not reported.
    try {
        write(selectLine1, sizeof selectLine1);
        write(text1.data(), text1.size());
        write(&cr, 1);
        write(selectLine2, sizeof selectLine2);
        write(text2.data(), text2.size());
        write(&cr, 1);
    } catch (...) {
    }
}
