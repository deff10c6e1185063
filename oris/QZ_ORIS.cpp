#include "QZ_ORIS.h"

#include "OrisConvert.h"
#include "QZ_CSV.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Cp1250.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>

namespace QZ_ORIS {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxFN = 200;
constexpr size_t kMaxErrorText = 200;
// Far beyond any request Ravlin writes; a larger file is not a request and is not read whole.
constexpr size_t kMaxRequestBytes = 1024 * 1024;

const char* const kNoInternet = "Nepodařilo se připojit k internetu. Zkontrolujte připojení.";
const char* const kUnknownMethod = "Nedefinovaný požadavek ";
const char* const kDownloadFailed = "Nepodařilo se stáhnout soubor : ";

std::string Slashes(std::string_view s) {
    std::string out(s);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

// The text after the first n characters (code points) of a UTF-8 text.
std::string_view Utf8After(std::string_view s, size_t n) {
    const size_t skip = platform::Utf8Left(s, n).size();
    return s.substr(std::min(skip, s.size()));
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// ASCII only: the program's locale must not make bytes of UTF-8 letters "unreserved".
bool IsUnreserved(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// Every byte but the unreserved characters as %XX; with keepEscapes a valid %XX already in
// the text stays as it is.
std::string PercentEncode(std::string_view s, bool keepEscapes = false) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const char ch = s[i];
        const auto c = static_cast<unsigned char>(ch);
        const bool escape =
            keepEscapes && ch == '%' && i + 2 < s.size() && IsHex(s[i + 1]) && IsHex(s[i + 2]);
        if (IsUnreserved(ch) || escape) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// Ravlin's query text is '&'-led "key=value" pairs: keys and values are encoded, the pairs'
// own '&' and '=' and any escapes Ravlin already made stay.
std::string EncodeQuery(std::string_view query) {
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t amp = query.find('&', start);
        const std::string_view pair = query.substr(
            start, amp == std::string_view::npos ? std::string_view::npos : amp - start);
        const size_t eq = pair.find('=');
        if (eq == std::string_view::npos) {
            out += PercentEncode(pair, true);
        } else {
            out += PercentEncode(pair.substr(0, eq), true) + "=" +
                   PercentEncode(pair.substr(eq + 1), true);
        }
        if (amp == std::string_view::npos) {
            return out;
        }
        out += '&';
        start = amp + 1;
    }
}

// One line of the method table: the address after "method=" is head, the request's Param
// (when withParam), tail, and then IDZAVOD (when withId) or, for the methods with one
// download per parameter, that parameter's value.
struct MetodaOris {
    const char* name;
    const char* head;
    bool withParam;
    const char* tail;
    bool withId;
    const char* multiKey; // parameter name giving one download each, or nullptr
};

constexpr MetodaOris kMetody[] = {
    {"getCSOSClubList", "getCSOSClubList", false, "", false, nullptr},
    {"getClub", "getClub", false, "&id=", false, "Zkratka"},
    {"getUserEventEntries", "getUserEventEntries", true, "&userid=", false, "OrisID"},
    {"getEventResults", "getEventResults", true, "&eventid=", false, "OrisID"},
    {"getEventList", "getEventList&all=1", true, "", false, nullptr},
    {"getRegistration", "getRegistration", true, "", false, nullptr},
    {"getEvent", "getEvent", false, "&id=", true, nullptr},
    {"getEvent_KATEG", "getEvent", false, "&id=", true, nullptr},
    {"getEventEntries", "getEventEntries", false, "&eventid=", true, nullptr},
    {"getEventServiceEntries", "getEventServiceEntries", false, "&eventid=", true, nullptr},
    {"getEventBalance", "getEventBalance", false, "&eventid=", true, nullptr},
};

const MetodaOris* NajdiMetodu(std::string_view method) {
    for (const MetodaOris& m : kMetody) {
        if (platform::Utf8EqualNoCase(m.name, method)) {
            return &m;
        }
    }
    return nullptr;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v % 100);
    return buf;
}

} // namespace

TParamOris::TParamOris(std::string_view n, std::string_view v)
    : name(platform::Utf8Left(n, 20)), value(platform::Utf8Left(v, 20)) {}

std::string AdresaOris() {
    std::string adresa = kVychoziAdresa;
    if (SI_Typ::IniNastaveni) {
        adresa = std::string(
            Tools::Trim(SI_Typ::IniNastaveni->ReadString(kSekceOris, kKlicAdresa, adresa)));
    }
    while (!adresa.empty() && adresa.back() == '/') {
        adresa.pop_back();
    }
    return adresa.empty() ? kVychoziAdresa : adresa;
}

std::string SlozkaPozadavkuOris() {
    std::string cesta = Slashes(std::string(Tools::Trim(SI_Typ::CestaRavlin)));
    if (cesta.empty()) {
        return {};
    }
    if (cesta.back() != '/') {
        cesta += '/';
    }
    return cesta + Slashes(SI_Typ::RavlinInf.Import);
}

int64_t WholeNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return 0;
        }
    }
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() ? value : 0;
}

bool ParsePozadavekOris(std::string_view bytes, TPozadavekOris& poz, TParamyOris& params) {
    poz = TPozadavekOris{};
    params.clear();
    const std::vector<std::string> lines = SplitLines(platform::Cp1250ToUtf8(bytes));
    QZ_CSV::Fields fields;
    QZ_CSV::SplitFields(lines.empty() ? std::string() : lines.front(), '#', fields);
    if (fields[1] != "ORIS") {
        return false;
    }
    poz.date = platform::Utf8Left(fields[2], 10);
    poz.time = platform::Utf8Left(fields[3], 8);
    poz.method = platform::Utf8Left(fields[4], 60);
    for (size_t i = 1; i < lines.size(); ++i) {
        QZ_CSV::SplitFields(lines[i], '=', fields);
        const std::string& key = fields[0];
        if (key.empty()) {
            continue;
        }
        if (platform::Utf8EqualNoCase(key, "Param")) {
            // The raw rest after "Param=": further '=' and blanks belong to the query.
            poz.Param = platform::Utf8Left(Utf8After(lines[i], 6), 200);
        } else if (platform::Utf8EqualNoCase(key, "FN")) {
            // Not cut: a cut name would name another file; the service refuses a long one.
            poz.FN = fields[1];
        } else if (platform::Utf8EqualNoCase(key, "IDZAVOD")) {
            const int64_t id = WholeNumber(fields[1]);
            const bool fits = id >= std::numeric_limits<int32_t>::min() &&
                              id <= std::numeric_limits<int32_t>::max();
            poz.IDZAVOD = fits ? static_cast<int32_t>(id) : 0;
        } else {
            params.emplace_back(key, fields[1]);
        }
    }
    return true;
}

bool NactiPozadavekOris(const fs::path& file, TPozadavekOris& poz, TParamyOris& params) {
    std::string bytes;
    if (!platform::ReadWholeFile(file, bytes, nullptr, kMaxRequestBytes)) {
        return false;
    }
    if (!ParsePozadavekOris(bytes, poz, params)) {
        return false;
    }
    poz.requestPath = file.string();
    return true;
}

std::string JmenoOdpovedi(std::string_view requestPath) {
    const std::string_view ext = ".ori";
    if (requestPath.size() >= ext.size() &&
        platform::Utf8EqualNoCase(requestPath.substr(requestPath.size() - ext.size()), ext)) {
        return std::string(requestPath.substr(0, requestPath.size() - ext.size())) + ".orr";
    }
    // Never the request itself.
    return std::string(requestPath) + ".orr";
}

std::string TextOdpovedi(const TPozadavekOris& poz, const platform::WallTime& now) {
    std::string text = "#ORIS#" + TwoDigits(now.day) + "." + TwoDigits(now.month) + "." +
                       std::to_string(now.year) + "#" + platform::TimeText(now) + "#" + poz.method +
                       "#\r\n";
    text += "Result=" + poz.result + "\r\n";
    if (!poz.errorText.empty()) {
        text += "ErrorInfo=" + poz.errorText + "\r\n";
    }
    if (poz.result == "OK") {
        text += "Records=" + std::to_string(poz.records) + "\r\n";
    }
    if (poz.IDZAVOD > 0) {
        text += "idZavod=" + std::to_string(poz.IDZAVOD) + "\r\n";
    }
    return text;
}

bool ZapisOdpovedOris(const TPozadavekOris& poz, platform::Clock& clock, std::string* error) {
    return platform::WriteFileAtomic(JmenoOdpovedi(poz.requestPath),
                                     platform::Utf8ToCp1250(TextOdpovedi(poz, clock.Now())), error);
}

bool VystupniSoubor(std::string_view fn, const std::string& prefix, fs::path& output,
                    std::string& error) {
    const std::string name = Slashes(fn);
    if (name.empty()) {
        error = "Chybí název výstupního souboru (FN)";
        return false;
    }
    if (platform::Utf8Length(name) > kMaxFN) {
        error = "Název výstupního souboru (FN) je delší než 200 znaků";
        return false;
    }
    const bool drive = name.size() >= 2 && name[1] == ':' &&
                       std::isalpha(static_cast<unsigned char>(name[0])) != 0;
    bool climbs = name.front() == '/' || drive;
    std::string_view rest = name;
    std::string_view last;
    while (!climbs) {
        const size_t slash = rest.find('/');
        last = rest.substr(0, slash);
        climbs = last == "..";
        if (slash == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(slash + 1);
    }
    if (climbs) {
        error = "Výstupní soubor (FN) musí ležet ve složce požadavků : " + std::string(fn);
        return false;
    }
    if (last.empty() || last == ".") {
        error = "Neplatný název výstupního souboru (FN) : " + std::string(fn);
        return false;
    }
    output = platform::ResolveNoCase(fs::path(prefix + name));
    return true;
}

TObsluhaOris::TObsluhaOris(StatusSink& status, ObsluhaParts parts)
    : status_(status), probe_(std::move(parts.probe)), downloader_(std::move(parts.downloader)),
      clock_(parts.clock), workFile_(std::move(parts.workFile)),
      server_(SI_Typ::LangText("Server ORIS", "ORIS server")) {
    if (!probe_) {
        probe_ = std::make_unique<InterfaceProbe>();
    }
    if (!downloader_) {
        downloader_ = std::make_unique<CurlDownloader>();
    }
    if (clock_ == nullptr) {
        clock_ = &platform::GetClock();
    }
    if (workFile_.empty()) {
        workFile_ = platform::ProgramDataDir() / "Work.xml";
    }
}

void TObsluhaOris::Zastav() {
    zastaveno_ = true;
    downloader_->Zastav();
}

void TObsluhaOris::Label(const std::string& text) {
    label_ = text;
    status_.Zobraz(label_);
}

void TObsluhaOris::ProjdiPozadavkyOris() {
    const std::string prefix = SlozkaPozadavkuOris();
    if (prefix.empty()) {
        return;
    }
    // The prefix may end inside a name ("Import" without a separator): what follows the last
    // '/' starts the names searched for.
    const size_t slash = prefix.rfind('/');
    const std::string folderText = slash == 0 ? "/" : prefix.substr(0, slash);
    const std::string start = prefix.substr(slash + 1) + "P";
    const std::string_view ext = ".ori";
    const fs::path folder = platform::ResolveNoCase(folderText);

    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (name.size() < start.size() + ext.size() || !it->is_regular_file(typeEc) ||
            !platform::Utf8EqualNoCase(name.substr(0, start.size()), start) ||
            !platform::Utf8EqualNoCase(name.substr(name.size() - ext.size()), ext)) {
            continue;
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());

    for (const std::string& name : names) {
        if (zastaveno_) {
            return;
        }
        const fs::path file = folder / name;
        // Ravlin may still be writing it: take it once it has stood still for a while.
        if (!stable_.IsStable(file)) {
            continue;
        }
        TPozadavekOris poz;
        if (!NactiPozadavekOris(file, poz, params_)) {
            continue; // left in place, read again on later passes
        }
        ZpracujPozadavekOris(poz, params_);
        if (zastaveno_) {
            return; // not answered: served again at the next start
        }
        // A request written anew under the name meanwhile is left to be answered in its turn.
        (void)stable_.RemoveTaken(file);
    }
}

bool TObsluhaOris::Stahni(TPozadavekOris& poz, const std::string& url,
                          const std::string& labelTail) {
    Label("Stahuji : " + url + labelTail);
    {
        // Emptied first, so that an old document never passes for the new one.
        std::FILE* f = std::fopen(workFile_.c_str(), "wb");
        if (f != nullptr) {
            std::fclose(f);
        }
    }
    std::error_code ec;
    const bool downloaded = downloader_->StahniSoubor(url, workFile_);
    if (zastaveno_) {
        return false;
    }
    if (!downloaded || !fs::exists(workFile_, ec)) {
        poz.result = "ERR";
        poz.errorText = platform::Utf8Left(kDownloadFailed + url, kMaxErrorText);
        const std::string reason =
            downloaded ? workFile_.string() +
                             SI_Typ::LangText(": po stažení chybí", ": missing after the download")
                       : downloader_->LastError();
        if (server_.Failed(reason)) {
            status_.Zaznamenej(server_.Text());
        }
        return false;
    }
    if (server_.Succeeded()) {
        status_.Zaznamenej(server_.Service() + ": " +
                           SI_Typ::LangText("opět odpovídá", "answers again"));
    }
    Label("Staženo : " + url);
    return true;
}

void TObsluhaOris::ZpracujPozadavekOris(TPozadavekOris& poz, const TParamyOris& params) {
    Label(poz.method + " : " + poz.time);
    const MetodaOris* metoda = nullptr;
    if (!probe_->JePripojeno()) {
        poz.result = "ERR";
        poz.errorText = kNoInternet;
        Label(label_ + " Test connection - ERROR");
    } else {
        poz.result = "OK";
        Label(label_ + " Test connection - OK");
        if (!platform::Utf8EqualNoCase(poz.method, "TestCardvane")) {
            poz.workFile = workFile_.string();
            metoda = NajdiMetodu(poz.method);
            if (metoda == nullptr) {
                poz.result = "ERR";
                poz.errorText = platform::Utf8Left(kUnknownMethod + poz.method, kMaxErrorText);
            }
        }
    }

    fs::path output;
    std::string fnError;
    if (metoda != nullptr && !VystupniSoubor(poz.FN, SlozkaPozadavkuOris(), output, fnError)) {
        poz.result = "ERR";
        poz.errorText = platform::Utf8Left(fnError, kMaxErrorText);
        metoda = nullptr;
    }

    if (metoda != nullptr) {
        poz.FN = output.string();
        // Whatever an earlier request left there must not be imported as this one's data.
        std::error_code ec;
        fs::remove(output, ec);

        std::string address = AdresaOris() + "/API/?format=xml&method=" + metoda->head;
        if (metoda->withParam) {
            address += EncodeQuery(poz.Param);
        }
        address += metoda->tail;
        if (metoda->withId) {
            address += std::to_string(poz.IDZAVOD);
        }

        if (metoda->multiKey == nullptr) {
            if (Stahni(poz, address, "") && PrevedXmlOris(poz, RezimPrevod)) {
                Label("Zpracováno : " + address);
            }
        } else {
            PrevedXmlOris(poz, RezimZacatek);
            bool downloaded = true;
            for (const TParamOris& p : params) {
                if (!platform::Utf8EqualNoCase(p.name, metoda->multiKey)) {
                    continue;
                }
                // After a converter failure the request is answered as it stands.
                if (!poz.errorText.empty()) {
                    break;
                }
                poz.Param = p.value;
                const std::string url = address + PercentEncode(p.value);
                if (!Stahni(poz, url, std::string(10, ' '))) {
                    downloaded = false;
                    break;
                }
                if (PrevedXmlOris(poz, RezimPrevod)) {
                    Label("Zpracováno : " + url);
                }
            }
            if (downloaded) {
                PrevedXmlOris(poz, RezimKonec);
            }
        }
    }

    if (zastaveno_) {
        return;
    }
    std::string answerError;
    if (!ZapisOdpovedOris(poz, *clock_, &answerError)) {
        Label("Nelze zapsat odpověď : " + answerError);
        return;
    }
    if (!poz.errorText.empty()) {
        // The answer keeps the text the results program knows; the operator learns why.
        const bool download = poz.errorText.rfind(kDownloadFailed, 0) == 0 && server_.Failing();
        Label(download ? poz.errorText + " (" + server_.Text() + ")" : poz.errorText);
    }
}

} // namespace QZ_ORIS
