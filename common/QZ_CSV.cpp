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
        // separator at its very end, which adds no field.
        if (!rest.empty() && rest.back() == separator) {
            rest.remove_suffix(1);
        }
        fields[n] = std::string(Tools::Trim(rest));
        return;
    }
    const std::string last = std::string(Tools::Trim(rest));
    if (!last.empty()) {
        fields[n] = last;
    }
}

} // namespace QZ_CSV
