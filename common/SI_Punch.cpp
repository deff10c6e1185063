#include "SI_Punch.h"

#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

std::array<uint8_t, TPunchRec::Size> TPunchRec::ToBytes() const {
    std::array<uint8_t, Size> out{};
    out[0] = static_cast<uint8_t>(stationCode & 0xFF);
    out[1] = static_cast<uint8_t>(stationCode >> 8);
    const auto card = static_cast<uint32_t>(cardNumber);
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = static_cast<uint8_t>(card >> (8 * i));
    }
    out[8] = recordByte;
    out[9] = timeHigh;
    out[10] = timeLow;
    out[11] = subSecond;
    return out;
}

TPunchRec TPunchRec::FromBytes(const uint8_t* bytes) {
    TPunchRec r;
    r.stationCode = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    uint32_t card = 0;
    for (int i = 0; i < 4; ++i) {
        card |= static_cast<uint32_t>(bytes[4 + i]) << (8 * i);
    }
    r.cardNumber = static_cast<int32_t>(card);
    r.recordByte = bytes[8];
    r.timeHigh = bytes[9];
    r.timeLow = bytes[10];
    r.subSecond = bytes[11];
    return r;
}

namespace SI_Punch {

namespace {

IPunchQueue* g_queue = nullptr;

// Controls 1..30 are the start and the finish (and split controls counted as the finish);
// higher codes are plain controls.
bool IsStartOrFinish(uint16_t code) {
    return code >= 1 && code <= 30;
}

} // namespace

std::function<std::string()> PunchFolderOverride;

void SetPunchQueue(IPunchQueue* queue) {
    g_queue = queue;
}

void AddNezprac(const TPunchRec& punch) {
    if (g_queue != nullptr) {
        g_queue->AddNezprac(punch);
    }
}

std::string PunchFolder() {
    return PunchFolderOverride ? platform::WithTrailingSlash(PunchFolderOverride())
                               : SI_Typ::RaceDataKomPath();
}

std::string PunchFileName(int i) {
    std::string name = "MezE" + Tools::StageText();
    if (i > 0) {
        name += "_c" + std::to_string(i);
    }
    return name + ".dat";
}

std::vector<std::string> PunchFiles(const TPunchRec& punch) {
    std::vector<std::string> files = {PunchFileName(0)};
    // A copy that would land in our own folder is the main file already.
    const bool ownCopyHere =
        !SI_Typ::CestaKopie.empty() &&
        platform::Utf8EqualNoCase(platform::WithTrailingSlash(SI_Typ::CestaKopie), PunchFolder());
    for (int i = 1; i <= SI_Typ::PocetKopii; ++i) {
        if (!(ownCopyHere && i == SI_Typ::IndexVlastniKopie)) {
            files.push_back(PunchFileName(i));
        }
    }
    if (IsStartOrFinish(punch.stationCode)) {
        const std::string kind = punch.stationCode == SI_Typ::KodStartu ? "Start_E" : "Cil_E";
        files.push_back(kind + Tools::StageText() + ".dat");
    }
    return files;
}

bool AppendPunchRec(const fs::path& file, const TPunchRec& punch, std::string* error,
                    std::string* mended) {
    // Readers take the file as whole records: a torn record would shift every later one.
    const auto bytes = punch.ToBytes();
    return platform::AppendWhole(
        file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error,
        platform::AppendTail::Records(TPunchRec::Size), mended);
}

bool SavePunch(const TPunchRec& punch, std::string* error, std::string* mended) {
    std::string problems;
    const auto note = [&](const std::string& what, const std::string& why) {
        problems += (problems.empty() ? "" : "; ") + what + " (" + why + ")";
    };
    // An existing folder in another letter case is the one the other programs use.
    const fs::path folder = platform::ResolveNoCase(PunchFolder());
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        note(folder.string(), ec.message());
    } else {
        for (const std::string& name : PunchFiles(punch)) {
            std::string why;
            std::string cut;
            if (!AppendPunchRec(platform::ResolveNoCase(folder / name), punch, &why, &cut)) {
                note(name, why);
            }
            if (mended != nullptr && !cut.empty()) {
                *mended += (mended->empty() ? "" : "; ") + cut;
            }
        }
    }
    if (IsStartOrFinish(punch.stationCode) && punch.stationCode != SI_Typ::KodStartu &&
        g_queue != nullptr) {
        g_queue->AddTabule(punch.cardNumber);
    }
    if (error != nullptr) {
        *error = problems;
    }
    return problems.empty();
}

} // namespace SI_Punch
