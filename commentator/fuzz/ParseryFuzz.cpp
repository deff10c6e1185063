// Punch lines come from files other programs write: every parser must take any bytes, and
// what it accepts must be a record the split copy can hold.
#include "Parsery.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>
#include <string_view>

namespace {

void CheckRecord(bool accepted, const TMezicasRec& rec, bool fixedColumns) {
    if (!accepted) {
        return;
    }
    Check(rec.Cas.size() <= TMezicasRec::MaxCas);
    Check(rec.Druh >= 1 && rec.Druh <= 5);
    if (fixedColumns) {
        Check(rec.Cas.find(';') == std::string::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    static Parsery::TLastChip last{};
    static Parsery::TAlgeMemoCasy memo;
    if (memo.Count() > 10000) {
        memo.Clear();
    }
    Parsery::TParserContext relay;
    relay.DruhZavodu = [] { return 2; };
    relay.PocetUsekuStafety = [&](int32_t, int32_t, std::string_view) {
        return size > 0 ? static_cast<int32_t>(data[0] % 8) : 0;
    };
    TMezicasRec rec;
    const bool split = Parsery::ParseSplitLine(line, rec, &last);
    CheckRecord(split, rec, false);
    if (split && rec.Kod >= 1 && rec.Kod <= 30 && rec.Cip >= 1) {
        Check(last[static_cast<size_t>(rec.Kod - 1)] == rec.Cip);
    }
    CheckRecord(Parsery::ParseSplitLine(line, rec, nullptr), rec, false);
    CheckRecord(Parsery::ParseRacomLine(line, rec), rec, true);
    const bool finish = Parsery::ParseAlgeFinishLine(line, rec, memo, relay);
    CheckRecord(finish, rec, true);
    Check(!finish || rec.Usek <= 4);
    CheckRecord(Parsery::ParseAlgeFinishLine(line, rec, memo, {}), rec, true);
    CheckRecord(Parsery::ParseAlgeManualLine(line, rec), rec, true);
    CheckRecord(Parsery::ParseAlgeStartLine(line, rec), rec, true);
    return 0;
}
