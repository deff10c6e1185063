#include "QZ_CSV.h"

namespace QZ_CSV {

namespace {
// Blanks and control characters, as the files' writers pad fields with them.
std::string Trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') {
        s.remove_suffix(1);
    }
    return std::string(s);
}
} // namespace

void SplitFields(std::string_view line, char separator, Fields& fields) {
    for (std::string& f : fields) {
        f.clear();
    }
    size_t n = 0;
    std::string_view rest = line;
    size_t sep = rest.find(separator);
    while (sep != std::string_view::npos && n + 1 < MaxFields) {
        fields[n++] = Trimmed(rest.substr(0, sep));
        rest = rest.substr(sep + 1);
        sep = rest.find(separator);
    }
    if (n + 1 == MaxFields && sep != std::string_view::npos) {
        // More parts than fields: the last field keeps the rest of the line, less a
        // separator at its very end, which adds no field.
        if (!rest.empty() && rest.back() == separator) {
            rest.remove_suffix(1);
        }
        fields[n] = Trimmed(rest);
        return;
    }
    const std::string last = Trimmed(rest);
    if (!last.empty()) {
        fields[n] = last;
    }
}

} // namespace QZ_CSV
