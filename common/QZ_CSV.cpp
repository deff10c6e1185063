#include "QZ_CSV.h"

#include "Tools.h"

namespace QZ_CSV {

void SplitFields(std::string_view line, char separator, Fields& fields) {
    for (std::string& f : fields) {
        f.clear();
    }
    size_t n = 0;
    std::string_view rest = line;
    size_t sep = rest.find(separator);
    while (sep != std::string_view::npos && n + 1 < MaxFields) {
        fields[n++] = std::string(Tools::Trim(rest.substr(0, sep)));
        rest = rest.substr(sep + 1);
        sep = rest.find(separator);
    }
    if (n + 1 == MaxFields && sep != std::string_view::npos) {
        // More parts than fields: the last field keeps the rest of the line, less a
        // separator at its very end (blanks after it included), which adds no field.
        std::string_view last = Tools::Trim(rest);
        if (!last.empty() && last.back() == separator) {
            last = Tools::Trim(last.substr(0, last.size() - 1));
        }
        fields[n] = std::string(last);
        return;
    }
    const std::string last = std::string(Tools::Trim(rest));
    if (!last.empty()) {
        fields[n] = last;
    }
}

} // namespace QZ_CSV
