#include "SI_Backup.h"

#include "Tools.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cctype>

void TBackup::Sort() {
    std::stable_sort(
        items_.begin(), items_.end(),
        [](const TReadBackup1& a, const TReadBackup1& b) { return a.punchTime < b.punchTime; });
}

namespace SI_Backup {

std::function<void()> ControlNumberDialog;

TReadBackup1 DecodeRecord(const uint8_t* r) {
    TReadBackup1 p;
    p.cardNumber = r[5] * 256 + r[4];
    if (r[0] > 1) {
        p.cardNumber += r[0] * 100000;
    }
    p.punchTime = Tools::SecsToHMS(r[3], r[2]);
    return p;
}

std::string ListText(const TBackup& list) {
    std::string text;
    for (const TReadBackup1& p : list.Items()) {
        text += Tools::PadLeft(std::to_string(p.cardNumber), 6, ' ') + " " + p.punchTime + "\r\n";
    }
    return text;
}

std::string ListFileName(std::string_view folder, std::string_view control) {
    const size_t b = control.find_first_not_of(" \t");
    if (b == std::string_view::npos) {
        return {};
    }
    const size_t e = control.find_last_not_of(" \t");
    return platform::WithTrailingSlash(folder) + "SI_" + std::string(control.substr(b, e - b + 1)) +
           ".bck";
}

bool LacksControlNumber(const std::filesystem::path& file) {
    std::string name = file.filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name == "si_.bck";
}

bool WriteList(const std::filesystem::path& file, const TBackup& list, std::string* error) {
    return platform::WriteFileAtomic(platform::ResolveNoCase(file), ListText(list), error);
}

} // namespace SI_Backup
