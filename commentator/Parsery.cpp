#include "Parsery.h"

#include "QZ_CSV.h"
#include "Tools.h"

#include <charconv>

namespace Parsery {

std::string_view Columns(std::string_view line, size_t from, size_t to) {
    if (from < 1 || to < from || from > line.size()) {
        return {};
    }
    return line.substr(from - 1, to - from + 1);
}

char Column(std::string_view line, size_t at) {
    return at >= 1 && at <= line.size() ? line[at - 1] : '\0';
}

bool ReadNumber(std::string_view text, int32_t& value) {
    size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    text.remove_prefix(at);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return false;
        }
    }
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    value = v;
    return true;
}

namespace {

std::string_view Trimmed(std::string_view s) {
    return Tools::Trim(s);
}

std::string CutCas(std::string_view cas) {
    return std::string(cas.substr(0, std::min(cas.size(), TMezicasRec::MaxCas)));
}

// The program's own split copy keeps ';' lines: a time holding a ';' would come back from it
// as a different punch, so the fixed-column lines refuse it.
bool CasFitsCopy(std::string_view cas) {
    return cas.find(';') == std::string_view::npos;
}

// The second timer protocol writes the time as hhmmssffff from column 31 on.
std::string Protocol2Time(std::string_view line) {
    std::string t;
    t.append(Columns(line, 31, 32)).append(":");
    t.append(Columns(line, 33, 34)).append(":");
    t.append(Columns(line, 35, 36)).append(".");
    t.append(Columns(line, 37, 40));
    return t;
}

} // namespace

bool TAlgeMemoCasy::Lookup(int32_t startCislo, std::string_view cas) const {
    const std::string_view key = cas.substr(0, std::min(cas.size(), MaxCas));
    for (const TAlge1Cas& c : casy_) {
        if (c.StartCislo == startCislo && c.Cas == key) {
            return true;
        }
    }
    return false;
}

void TAlgeMemoCasy::Remember(int32_t startCislo, std::string_view cas) {
    if (!Lookup(startCislo, cas)) {
        casy_.push_back({startCislo, std::string(cas.substr(0, std::min(cas.size(), MaxCas)))});
    }
}

TAlgeMemoCasy& AlgeMemoCasy() {
    static TAlgeMemoCasy memo;
    return memo;
}

bool ParseSplitLine(std::string_view line, TMezicasRec& rec, TLastChip* lastChip) {
    rec = TMezicasRec{};
    QZ_CSV::Fields f;
    QZ_CSV::SplitFields(line, ';', f);
    if (!ReadNumber(f[2], rec.Kod)) {
        return false;
    }
    rec.Cas = CutCas(f[1]);
    const std::string& first = f[0];
    if (!first.empty() && first[0] == 'K') {
        rec.Druh = 4;
        rec.Stav = 5;
        return true;
    }
    if (first.starts_with("SREI2")) {
        rec.Druh = 5;
        rec.Stav = 5;
        int32_t bib = 0;
        if (ReadNumber(Trimmed(Columns(first, 6, 10)), bib)) {
            rec.StartCislo = bib;
        }
        return true;
    }
    if (!first.empty() && first[0] == '*' && Column(first, 2) == 'U') {
        int32_t usek = 0;
        if (!ReadNumber(Columns(first, 3, 3), usek) ||
            !ReadNumber(Trimmed(Columns(first, 4, 10)), rec.StartCislo)) {
            return false;
        }
        rec.Usek = static_cast<uint16_t>(usek);
    } else if (!first.empty() && first[0] == '*') {
        if (!ReadNumber(Trimmed(Columns(first, 2, 10)), rec.StartCislo)) {
            return false;
        }
    } else if (!ReadNumber(first, rec.Cip)) {
        return false;
    }
    if (!f[3].empty()) {
        int32_t stav = 0;
        rec.Stav = ReadNumber(f[3], stav) ? stav : 0;
    }
    rec.Druh = 2;
    if (lastChip != nullptr && rec.Kod >= 1 && rec.Kod <= 30) {
        int32_t& last = (*lastChip)[static_cast<size_t>(rec.Kod - 1)];
        if (rec.Cip >= 1) {
            last = rec.Cip;
        } else if (rec.Cip == 0) {
            rec.Cip = last;
        }
    }
    return true;
}

bool ParseRacomLine(std::string_view line, TMezicasRec& rec) {
    rec = TMezicasRec{};
    if (Trimmed(line).empty() || !ReadNumber(Trimmed(Columns(line, 11, 13)), rec.Kod) ||
        !ReadNumber(Trimmed(Columns(line, 1, 8)), rec.Cip)) {
        return false;
    }
    rec.Druh = 1;
    rec.Cas = CutCas(Trimmed(Columns(line, 15, 24)));
    return CasFitsCopy(rec.Cas);
}

namespace {

bool ParseAlgeFinishProtocol2(std::string_view line, TMezicasRec& rec, TAlgeMemoCasy& memo,
                              const TParserContext& context) {
    if (line.size() < 30 || Column(line, 2) != 'R') {
        return false;
    }
    int32_t channel = 0;
    if (!ReadNumber(Columns(line, 27, 29), channel)) {
        channel = 0;
    }
    if (!((channel >= 1 && channel <= 4) || channel == 255)) {
        return false;
    }
    const char flag = Column(line, 30);
    if (flag != '0' && flag != 'C' && flag != 'K' && flag != 'a') {
        return false;
    }
    int32_t bib = 0;
    if (!ReadNumber(Columns(line, 13, 17), bib)) {
        return false;
    }
    const std::string cas = Protocol2Time(line);
    if (flag == 'a') {
        if (memo.Lookup(bib, cas)) {
            return false;
        }
        rec.Stav = -1;
    } else {
        rec.Stav = 5;
    }
    rec.StartCislo = bib;
    rec.Kod = 29;
    rec.Druh = 3;
    rec.Cas = CutCas(Trimmed(cas));
    if (!CasFitsCopy(rec.Cas)) {
        return false;
    }
    if (channel == 255 && context.DruhZavodu && context.DruhZavodu() == 2 &&
        context.PocetUsekuStafety) {
        const int32_t legs = context.PocetUsekuStafety(bib, 255, cas);
        if (legs > 0) {
            channel = legs;
        }
    }
    if (channel >= 1 && channel <= 4) {
        rec.Usek = static_cast<uint16_t>(channel);
    }
    return true;
}

} // namespace

bool ParseAlgeFinishLine(std::string_view line, TMezicasRec& rec, TAlgeMemoCasy& memo,
                         const TParserContext& context) {
    rec = TMezicasRec{};
    if (Trimmed(line).empty()) {
        return false;
    }
    const char flag = line[0];
    if (flag == '\x10') {
        return ParseAlgeFinishProtocol2(line, rec, memo, context);
    }
    if (flag != '*' && flag != 'c' && flag != 'i' && flag != 'm') {
        return false;
    }
    int32_t bib = 0;
    const std::string_view cas = Columns(line, 11, 23);
    if (!ReadNumber(Trimmed(Columns(line, 2, 5)), bib)) {
        return false;
    }
    if (flag == 'm') {
        memo.Remember(bib, cas);
        return false;
    }
    if (flag == 'c') {
        if (memo.Lookup(bib, cas)) {
            return false;
        }
        rec.Stav = -1;
    } else {
        rec.Stav = 5;
    }
    rec.StartCislo = bib;
    rec.Kod = 29;
    rec.Druh = 3;
    rec.Cas = CutCas(Trimmed(cas.substr(0, std::min<size_t>(cas.size(), 12))));
    return CasFitsCopy(rec.Cas);
}

bool ParseAlgeManualLine(std::string_view line, TMezicasRec& rec) {
    rec = TMezicasRec{};
    if (Trimmed(line).empty() || !ReadNumber(Trimmed(Columns(line, 38, 40)), rec.StartCislo)) {
        return false;
    }
    rec.Stav = 5;
    rec.Kod = 29;
    rec.Druh = 3;
    rec.Cas = CutCas(Trimmed(Columns(line, 11, 22)));
    return CasFitsCopy(rec.Cas);
}

namespace {

bool ParseAlgeStartProtocol2(std::string_view line, TMezicasRec& rec) {
    const char flag = Column(line, 30);
    if (Column(line, 2) != 'R' || Columns(line, 27, 29) != "000" || (flag != '0' && flag != 'P') ||
        !ReadNumber(Columns(line, 13, 17), rec.StartCislo)) {
        return false;
    }
    rec.Kod = flag == '0' ? 20 : 9001;
    rec.Stav = 5;
    rec.Druh = 5;
    rec.Cas = CutCas(Trimmed(Protocol2Time(line)));
    return CasFitsCopy(rec.Cas);
}

} // namespace

bool ParseAlgeStartLine(std::string_view line, TMezicasRec& rec) {
    rec = TMezicasRec{};
    if (Trimmed(line).empty()) {
        return false;
    }
    if (line[0] == '\x10') {
        return ParseAlgeStartProtocol2(line, rec);
    }
    std::string_view gate;
    std::string_view cas;
    if (line.size() >= 21 && Column(line, 6) == 'K') {
        gate = Trimmed(Columns(line, 7, 8));
        cas = Columns(line, 10, 21);
    } else {
        if (line.size() < 19 || Column(line, 7) != 'C' || Column(line, 13) != ':' ||
            Column(line, 16) != ':' || Column(line, 19) != '.') {
            return false;
        }
        gate = Trimmed(Columns(line, 8, 8));
        if (gate == "0") {
            gate = "20";
        }
        cas = Columns(line, 11, 22);
    }
    rec.Stav = 5;
    rec.Druh = 4;
    if (!ReadNumber(gate, rec.Kod)) {
        rec = TMezicasRec{};
        return false;
    }
    rec.Cas = CutCas(Trimmed(cas));
    return CasFitsCopy(rec.Cas);
}

} // namespace Parsery
