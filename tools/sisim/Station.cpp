#include "Station.h"

#include "SiProtocol.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace sisim {

using namespace SiProtocol;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

namespace {

// The legacy autosend punch record.
constexpr uint8_t kPunchRecord = 0x53;
// Station clocks count the half day; a flag byte says afternoon where a record has room for it.
constexpr int kHalfDay = 43200;

// A station forgets a command it has not heard the end of after this long.
constexpr milliseconds kRxForget{500};
// Legacy garbage without an ETX is dropped beyond this, so a stuck line cannot grow the buffer.
constexpr size_t kRxLimit = 4096;
constexpr size_t kLogBytes = 24;

std::string Hex(const uint8_t* b, size_t n, size_t limit = kLogBytes) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n && i < limit; ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "%02X" : " %02X", b[i]);
        s += buf;
    }
    if (n > limit) {
        s += " ... (" + std::to_string(n) + " bytes)";
    }
    return s;
}

std::string Hex(const std::vector<uint8_t>& b) {
    return Hex(b.data(), b.size());
}

std::string HexByte(uint8_t b) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

// A legacy station escapes every control byte between STX and ETX with DLE.
std::vector<uint8_t> StuffDle(const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> out;
    out.reserve(frame.size() * 2);
    for (size_t i = 0; i < frame.size(); ++i) {
        if (i > 0 && i + 1 < frame.size() && frame[i] < 0x20) {
            out.push_back(DLE);
        }
        out.push_back(frame[i]);
    }
    return out;
}

bool IsSi6(const Card& c) {
    return c.kind == CardKind::Si6 || c.kind == CardKind::Si6Star;
}
bool IsSi8Family(const Card& c) {
    return c.kind != CardKind::Si5 && !IsSi6(c);
}

// The series, number-low and number-high bytes of a backup record: 16 bits of number, and a
// series counting hundred thousands from 2 on.
std::array<uint8_t, 3> BackupCardBytes(int card) {
    const int series = card <= 0xFFFF ? 1 : card / 100000;
    const int low = card <= 0xFFFF ? card : card % 100000;
    return {static_cast<uint8_t>(series), static_cast<uint8_t>(low),
            static_cast<uint8_t>(low >> 8)};
}

} // namespace

std::string CheckBackupCard(int card) {
    if (CheckCardNumber(CardKind::Si5, card).empty()) {
        return {};
    }
    return "a backup record holds card numbers up to 65535, or S*100000 plus up to 65535 with S "
           "from 2 to 255";
}

std::optional<std::array<uint8_t, 3>> AutosendCardBytes(int card) {
    // The reader takes a series below 2 as nothing, 2 to 4 as hundred thousands and 5 on as
    // the top byte of a 24-bit number.
    const auto bytes = [](int series, int low) {
        return std::array<uint8_t, 3>{static_cast<uint8_t>(series), static_cast<uint8_t>(low >> 8),
                                      static_cast<uint8_t>(low)};
    };
    if (card >= 1 && card <= 0xFFFF) {
        return bytes(1, card);
    }
    const int series = card / 100000;
    if (series >= 2 && series <= 4 && card % 100000 <= 0xFFFF) {
        return bytes(series, card % 100000);
    }
    if (card >= 5 * 0x10000 && card <= 0xFFFFFF) {
        return bytes(card >> 16, card & 0xFFFF);
    }
    return std::nullopt;
}

std::string TimeText(int secondsOfDay) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", secondsOfDay / 3600, secondsOfDay / 60 % 60,
                  secondsOfDay % 60);
    return buf;
}

std::string FaultName(FaultKind kind) {
    switch (kind) {
    case FaultKind::BadCrc:
        return "badcrc";
    case FaultKind::BadSum:
        return "badsum";
    case FaultKind::Split:
        return "split";
    case FaultKind::Lose:
        return "lose";
    case FaultKind::Noise:
        return "noise";
    case FaultKind::Silence:
        return "silence";
    case FaultKind::Pull:
        return "pull";
    }
    return "?";
}

const std::vector<uint8_t>& Station::NoiseBytes() {
    static const std::vector<uint8_t> noise = {0xFF, 0x00, 0xFE};
    return noise;
}

Station::Station(Log log) : log_(std::move(log)), display_(log_) {}

void Station::SetRole(Role role) {
    role_ = role;
    speed_ = role == Role::Display ? sisim::Display::kBaud : 38400;
}

bool Station::DisplayRefuses(const std::string& what) const {
    if (role_ == Role::Display) {
        Say("a display has no " + what + ": ignored");
        return true;
    }
    return false;
}

void Station::Say(const std::string& text) const {
    if (log_) {
        log_(text);
    }
}

bool Station::LineSpeedMatches() const {
    return lineSpeed_ == 0 || lineSpeed_ == speed_;
}

nanoseconds Station::ByteTime() const {
    return nanoseconds(10'000'000'000LL / speed_);
}

std::optional<Fault> Station::TakeFault(FaultKind kind) {
    const auto it = std::find_if(faults_.begin(), faults_.end(),
                                 [&](const Fault& f) { return f.kind == kind; });
    if (it == faults_.end()) {
        return std::nullopt;
    }
    Fault f = *it;
    faults_.erase(it);
    return f;
}

// ---- what the station sends ----

std::vector<uint8_t> Station::CardIdBytes() const {
    // The four bytes after the station code that name the card.
    const int n = card_->number;
    if (card_->kind == CardKind::Si5) {
        const int series = n / 100000;
        const int low = n <= 0xFFFF ? n : n % 100000;
        return {0x00, static_cast<uint8_t>(series > 1 ? series : 1), static_cast<uint8_t>(low >> 8),
                static_cast<uint8_t>(low)};
    }
    const uint8_t top = IsSi6(*card_) ? 0x00 : SeriesByte(card_->kind);
    return {top, static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
            static_cast<uint8_t>(n)};
}

Station::OutFrame Station::ExtFrame(std::string what, uint8_t cmd,
                                    const std::vector<uint8_t>& data) const {
    std::vector<uint8_t> t = {STX, cmd, static_cast<uint8_t>(data.size() + 2),
                              static_cast<uint8_t>(code_ >> 8), static_cast<uint8_t>(code_)};
    t.insert(t.end(), data.begin(), data.end());
    return {std::move(what), CompleteExtFrame(t), true, std::nullopt};
}

Station::OutFrame Station::LegacyDataFrame(std::string what, uint8_t cmd,
                                           const std::vector<uint8_t>& body) const {
    std::vector<uint8_t> f = {STX, cmd};
    f.insert(f.end(), body.begin(), body.end());
    const size_t sumAt = f.size();
    f.push_back(ByteSum(body.data(), body.size()));
    f.push_back(ETX);
    return {std::move(what), std::move(f), false, sumAt};
}

void Station::Send(OutFrame frame, TimePoint now, std::optional<int> pullGap) {
    if (!LineSpeedMatches()) {
        Say("line at " + std::to_string(lineSpeed_) + " Bd, station at " + std::to_string(speed_) +
            " Bd: " + frame.what + " not sent (the reader could only get garbage)");
        return;
    }
    if (silenced_) {
        Say("silent: " + frame.what + " not sent");
        return;
    }
    std::vector<uint8_t>& b = frame.bytes;
    if (frame.extended) {
        if (TakeFault(FaultKind::BadCrc)) {
            b[b.size() - 2] ^= 0x5A;
            Say("fault badcrc on " + frame.what);
        }
    } else if (frame.sumAt) {
        if (TakeFault(FaultKind::BadSum)) {
            ++b[*frame.sumAt];
            Say("fault badsum on " + frame.what);
        }
    }
    std::vector<uint8_t> wire = frame.extended ? b : StuffDle(b);
    if (const auto f = TakeFault(FaultKind::Lose)) {
        const size_t from = wire.size() / 2;
        const size_t n = std::min(static_cast<size_t>(f->value), wire.size() - from);
        wire.erase(wire.begin() + static_cast<long>(from),
                   wire.begin() + static_cast<long>(from + n));
        Say("fault lose: " + std::to_string(n) + " bytes of " + frame.what + " dropped");
    }
    if (TakeFault(FaultKind::Noise)) {
        wire.insert(wire.begin(), NoiseBytes().begin(), NoiseBytes().end());
        Say("fault noise before " + frame.what);
    }
    if (TakeFault(FaultKind::Silence)) {
        wire.resize(wire.size() / 2);
        silenced_ = true;
        Say("fault silence: " + frame.what + " cut after " + std::to_string(wire.size()) +
            " bytes; nothing more until the card is removed");
    }
    Say("tx " + frame.what + ": " + Hex(wire));
    // A pulled card's removal goes out in a write of its own, whole or split by the pull's gap;
    // any other frame is split only by a split fault.
    const bool ownWrite = pullGap.has_value();
    std::optional<int> gap;
    std::string by = "pull";
    if (pullGap) {
        gap = *pullGap > 0 ? pullGap : std::nullopt;
    } else if (const auto f = TakeFault(FaultKind::Split)) {
        gap = f->value;
        by = "split";
    }
    if (!gap) {
        out_.push_back({now, nanoseconds(0), std::move(wire), ownWrite});
        return;
    }
    const size_t half = wire.size() / 2;
    out_.push_back(
        {now, nanoseconds(0), {wire.begin(), wire.begin() + static_cast<long>(half)}, ownWrite});
    out_.push_back({now, milliseconds(*gap), {wire.begin() + static_cast<long>(half), wire.end()}});
    Say("fault " + by + ": " + frame.what + " in two writes " + std::to_string(*gap) + " ms apart");
}

void Station::Insert(Card card, TimePoint now) {
    if (DisplayRefuses("cards")) {
        return;
    }
    if (card_) {
        Remove(now);
    }
    card_ = std::move(card);
    acknowledged_ = false;
    silenced_ = false;
    const std::string name = CardKindName(card_->kind) + " " + std::to_string(card_->number);
    Say("card " + name + " inserted");
    if (protocol_ == Protocol::Extended) {
        const uint8_t cmd = card_->kind == CardKind::Si5 ? CmdSi5Inserted
                            : IsSi6(*card_)              ? CmdSi6Inserted
                                                         : CmdSi8Inserted;
        Send(ExtFrame(name + " inserted", cmd, CardIdBytes()), now);
    } else if (card_->kind == CardKind::Si5) {
        Send({"legacy SI5 inserted", {STX, LegacySi5Inserted, 0x49, ETX}, false, std::nullopt},
             now);
    } else if (IsSi6(*card_)) {
        const int n = card_->number;
        Send(LegacyDataFrame("legacy SI6 inserted", LegacySi6Inserted,
                             {static_cast<uint8_t>(code_ >> 8), static_cast<uint8_t>(code_),
                              static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                              static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)}),
             now);
    } else {
        Say("the legacy protocol knows only SI5 and SI6 cards: nothing sent");
    }
}

void Station::TakeCardOut(TimePoint now, std::optional<int> pullGap) {
    if (!card_) {
        Say("remove: no card in the station");
        return;
    }
    Say("card " + CardKindName(card_->kind) + " " + std::to_string(card_->number) +
        " removed; acknowledged: " + (acknowledged_ ? "yes" : "no"));
    silenced_ = false;
    if (protocol_ == Protocol::Extended) {
        Send(ExtFrame("card removed", CmdCardRemoved, CardIdBytes()), now, pullGap);
    }
    card_.reset();
}

void Station::Answered(TimePoint now) {
    const auto it = std::find_if(faults_.begin(), faults_.end(),
                                 [](const Fault& f) { return f.kind == FaultKind::Pull; });
    if (it == faults_.end() || --it->value > 0) {
        return;
    }
    const int gap = it->gap;
    faults_.erase(it);
    Say("fault pull: the card leaves right after this answer");
    TakeCardOut(now, gap);
}

// ---- what the station hears ----

void Station::Receive(const uint8_t* bytes, size_t count, TimePoint now) {
    if (count == 0) {
        return;
    }
    if (!LineSpeedMatches()) {
        Say("rx " + std::to_string(count) + " bytes at " + std::to_string(lineSpeed_) +
            " Bd, station at " + std::to_string(speed_) + " Bd: ignored");
        return;
    }
    if (!rx_.empty() && now - lastRx_ > kRxForget) {
        Say("unfinished command dropped: " + Hex(rx_));
        rx_.clear();
    }
    lastRx_ = now;
    Say("rx " + Hex(bytes, count));
    if (role_ == Role::Display) {
        display_.Receive(bytes, count);
        return;
    }
    rx_.insert(rx_.end(), bytes, bytes + count);
    ParseReceived(now);
}

void Station::ParseReceived(TimePoint now) {
    while (!rx_.empty()) {
        if (rx_[0] == ACK) {
            rx_.erase(rx_.begin());
            if (card_) {
                acknowledged_ = true;
                Say("ACK: card " + std::to_string(card_->number) + " acknowledged");
            } else {
                Say("ACK with no card in the station");
            }
            continue;
        }
        if (rx_[0] != STX) {
            const auto next = std::find_if(rx_.begin(), rx_.end(),
                                           [](uint8_t c) { return c == STX || c == ACK; });
            Say("skipped " + std::to_string(next - rx_.begin()) + " stray bytes");
            rx_.erase(rx_.begin(), next);
            continue;
        }
        if (rx_.size() < 3) {
            return;
        }
        if (rx_[1] >= 0x80) {
            TSIFrameInfo info{};
            const ExtFrameResult r = ParseExtFrameBytes(rx_.data(), rx_.size(), info);
            if (r.status == ExtFrameStatus::Incomplete) {
                return;
            }
            if (info.valid) {
                HandleExtended(rx_[1], {rx_.begin() + 3, rx_.begin() + 3 + rx_[2]}, now);
            } else {
                Say("bad extended frame (CRC or ETX): ignored");
            }
            rx_.erase(rx_.begin(), rx_.begin() + static_cast<long>(r.consumed));
            continue;
        }
        // Legacy: up to the first ETX that no DLE escapes.
        size_t end = 0;
        bool escape = false;
        for (size_t i = 1; i < rx_.size() && end == 0; ++i) {
            if (escape) {
                escape = false;
            } else if (rx_[i] == DLE) {
                escape = true;
            } else if (rx_[i] == ETX) {
                end = i;
            }
        }
        if (end == 0) {
            if (rx_.size() > kRxLimit) {
                Say("no ETX in " + std::to_string(rx_.size()) + " bytes: dropped");
                rx_.clear();
            }
            return;
        }
        std::vector<uint8_t> frame(rx_.begin(), rx_.begin() + static_cast<long>(end) + 1);
        rx_.erase(rx_.begin(), rx_.begin() + static_cast<long>(end) + 1);
        size_t n = frame.size();
        RemoveDle(frame.data(), n);
        // STX ETX with no command byte between them (line noise) is no command.
        if (n < 3) {
            Say("legacy frame without a command: " + Hex(frame.data(), n) + " ignored");
            continue;
        }
        HandleLegacy(frame[1], {frame.begin() + 2, frame.begin() + static_cast<long>(n) - 1}, now);
    }
}

void Station::HandleExtended(uint8_t cmd, const std::vector<uint8_t>& data, TimePoint now) {
    const std::string name = "command " + HexByte(cmd);
    if (protocol_ != Protocol::Extended) {
        Say(name + " is extended, the station speaks legacy: not answered");
        return;
    }
    switch (cmd) {
    case CmdSetMsMode:
        if (data.size() != 1) {
            Say("set master mode: one mode byte expected");
            return;
        }
        Send(ExtFrame("master mode reply", CmdSetMsMode, data), now);
        return;
    case CmdGetSystemValue: {
        if (data != std::vector<uint8_t>{0x74, 0x10}) {
            Say("get system value: only address 0x74, 16 bytes is answered");
            return;
        }
        // The address, then its 16 bytes: the protocol byte first (bit 0 extended mode, bit 2
        // handshake), the rest of the configuration blank.
        std::vector<uint8_t> d(1 + 16, 0x00);
        d[0] = 0x74;
        d[1] = static_cast<uint8_t>(0x04 | (extendedMode_ ? 0x01 : 0x00));
        Send(ExtFrame(std::string("system value 0x74, extended mode ") +
                          (extendedMode_ ? "on" : "off"),
                      CmdGetSystemValue, d),
             now);
        return;
    }
    case CmdReadSi5:
        if (!card_ || card_->kind != CardKind::Si5) {
            Say("read SI5 without an SI5 card: not answered");
            return;
        }
        Send(ExtFrame("SI5 data", CmdReadSi5, card_->memory), now);
        Answered(now);
        return;
    case CmdReadSi6: {
        if (data.size() != 1 || data[0] != 0x08) {
            Say("read SI6: only block set 8 is answered");
            return;
        }
        if (!card_ || !IsSi6(*card_)) {
            Say("read SI6 without an SI6 card: not answered");
            return;
        }
        // SI6 answers with its blocks 0, 6 and 7; SI6* with all eight in order.
        const std::vector<int> blocks = card_->kind == CardKind::Si6Star
                                            ? std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}
                                            : std::vector<int>{0, 6, 7};
        for (int b : blocks) {
            std::vector<uint8_t> d = {static_cast<uint8_t>(b)};
            const std::vector<uint8_t> block = card_->Block(b);
            d.insert(d.end(), block.begin(), block.end());
            Send(ExtFrame("SI6 block " + std::to_string(b), CmdReadSi6, d), now);
        }
        Answered(now);
        return;
    }
    case CmdReadSi8: {
        if (data.size() != 1 || data[0] > 7) {
            Say("read SI8 block: block number missing or beyond 7");
            return;
        }
        if (!card_ || !IsSi8Family(*card_)) {
            Say("read SI8 block without an SI8-family card: not answered");
            return;
        }
        std::vector<uint8_t> d = {data[0]};
        const std::vector<uint8_t> block = card_->Block(data[0]);
        d.insert(d.end(), block.begin(), block.end());
        Send(ExtFrame("block " + std::to_string(data[0]), CmdReadSi8, d), now);
        Answered(now);
        return;
    }
    default:
        Say(name + ": not answered");
        return;
    }
}

void Station::HandleLegacy(uint8_t cmd, const std::vector<uint8_t>& data, TimePoint now) {
    const std::string name = "legacy command " + HexByte(cmd);
    // Backup memory is only ever read with the legacy request, whichever protocol is set.
    if (cmd == LegacyReadBackup) {
        AnswerBackup(data, now);
        return;
    }
    if (protocol_ != Protocol::Legacy) {
        Say(name + ", the station speaks extended: not answered");
        return;
    }
    if (cmd == LegacyProbe) {
        if (data.size() != 1) {
            Say("legacy probe: one mode byte expected");
            return;
        }
        Send({"legacy probe reply",
              {STX, LegacyProbe, static_cast<uint8_t>(code_), data[0], ETX},
              false,
              std::nullopt},
             now);
        return;
    }
    if (cmd == LegacyReadSi5) {
        if (!card_ || card_->kind != CardKind::Si5) {
            Say("legacy read SI5 without an SI5 card: not answered");
            return;
        }
        std::vector<uint8_t> body = {static_cast<uint8_t>(code_)};
        body.insert(body.end(), card_->memory.begin(), card_->memory.end());
        Send(LegacyDataFrame("legacy SI5 data", LegacyReadSi5, body), now);
        Answered(now);
        return;
    }
    if (cmd == LegacyReadSi6) {
        if (data != std::vector<uint8_t>{0x08}) {
            Say("legacy read SI6: only block set 8 is answered");
            return;
        }
        if (!card_ || !IsSi6(*card_)) {
            Say("legacy read SI6 without an SI6 card: not answered");
            return;
        }
        for (int b : {0, 6, 7}) {
            std::vector<uint8_t> body = {static_cast<uint8_t>(code_), static_cast<uint8_t>(b)};
            const std::vector<uint8_t> block = card_->Block(b);
            body.insert(body.end(), block.begin(), block.end());
            Send(LegacyDataFrame("legacy SI6 block " + std::to_string(b), LegacyReadSi6, body),
                 now);
        }
        Answered(now);
        return;
    }
    Say(name + ": not answered");
}

// ---- backup memory and punches ----

void Station::AddPunch(BackupPunch punch) {
    if (backup_.size() >= kBackupCapacity) {
        Say("backup memory full: punch not kept");
        return;
    }
    if (const std::string why = CheckBackupCard(punch.card); !why.empty()) {
        Say("punch not kept: " + why);
        return;
    }
    backup_.push_back(punch);
    Say("backup punch " + std::to_string(backup_.size()) + ": card " + std::to_string(punch.card) +
        " at " + TimeText(punch.secondsOfDay % kHalfDay));
}

void Station::SetBackup(const std::vector<BackupPunch>& punches) {
    backup_.clear();
    for (const BackupPunch& p : punches) {
        if (backup_.size() >= kBackupCapacity || !CheckBackupCard(p.card).empty()) {
            Say("backup punch of card " + std::to_string(p.card) + " does not fit: not kept");
            continue;
        }
        backup_.push_back(p);
    }
    Say("backup memory holds " + std::to_string(backup_.size()) + " punches");
}

// The memory is one run of 6-byte records (series, half-day flag, time low, time high, number
// low, number high), oldest first, read in pages of 256 bytes; a record may begin on one page
// and end on the next. Each reply's header holds the station code, the page's number, where the
// write pointer stands in the newest page, and the count of data bytes (0 for 256). Pages are
// numbered downwards, the newest 1. The first request (all zero) gets the oldest page; each
// later one names the page it wants, repeats the pointer, and repeats it once more when it asks
// for page 1.
void Station::AnswerBackup(const std::vector<uint8_t>& request, TimePoint now) {
    if (request.size() != 3) {
        Say("backup request: 3 bytes expected, got " + Hex(request));
        return;
    }
    std::vector<uint8_t> memory;
    memory.reserve(backup_.size() * kBackupRecordSize);
    for (const BackupPunch& p : backup_) {
        const std::array<uint8_t, 3> card = BackupCardBytes(p.card);
        const int t = p.secondsOfDay % kHalfDay;
        memory.insert(memory.end(),
                      {card[0], static_cast<uint8_t>(p.secondsOfDay >= kHalfDay),
                       static_cast<uint8_t>(t), static_cast<uint8_t>(t >> 8), card[1], card[2]});
    }
    if (memory.empty()) {
        Say("backup memory empty: request not answered");
        return;
    }
    const size_t pages = (memory.size() + kBackupPageSize - 1) / kBackupPageSize;
    const auto pointer = static_cast<uint8_t>(memory.size() % kBackupPageSize);
    const uint8_t a = request[0];
    const uint8_t b = request[1];
    const uint8_t d = request[2];
    const bool first = a == 0 && b == 0 && d == 0;
    const bool next = a > 0 && a < pages && b == pointer && d == (a == 1 ? pointer : 0);
    if (!first && !next) {
        Say("backup request " + Hex(request) + " does not follow from the replies (" +
            std::to_string(pages) + " pages, pointer " + HexByte(pointer) + "): not answered");
        return;
    }
    const size_t page = first ? pages : a;
    const size_t from = (pages - page) * kBackupPageSize;
    const size_t n = std::min(kBackupPageSize, memory.size() - from);
    std::vector<uint8_t> f = {STX, LegacyReadBackup, static_cast<uint8_t>(code_)};
    f.insert(f.end(), {static_cast<uint8_t>(page), pointer, static_cast<uint8_t>(n)});
    f.insert(f.end(), memory.begin() + static_cast<long>(from),
             memory.begin() + static_cast<long>(from + n));
    f.push_back(ETX);
    Send({"backup page " + std::to_string(page) + " (" + std::to_string(n) + " bytes)",
          std::move(f), false, std::nullopt},
         now);
}

void Station::AutoSend(int card, int secondsOfDay, int stationCode, TimePoint now) {
    if (DisplayRefuses("punches")) {
        return;
    }
    const auto cardBytes = AutosendCardBytes(card);
    if (!cardBytes) {
        Say("autosend: card " + std::to_string(card) + " cannot be written in a punch record");
        return;
    }
    const int code = stationCode > 0 ? stationCode : code_;
    const int t = secondsOfDay % kHalfDay;
    ++punchRecords_;
    // STX, 0x53, the record's running number, station code, card series and number, the
    // half-day flag, time, sub-second, two blank bytes, ETX.
    std::vector<uint8_t> f = {STX,
                              kPunchRecord,
                              static_cast<uint8_t>(punchRecords_),
                              static_cast<uint8_t>(code),
                              (*cardBytes)[0],
                              (*cardBytes)[1],
                              (*cardBytes)[2],
                              static_cast<uint8_t>(secondsOfDay >= kHalfDay),
                              static_cast<uint8_t>(t >> 8),
                              static_cast<uint8_t>(t),
                              0x00,
                              0x00,
                              0x00,
                              ETX};
    Send({"punch record " + std::to_string(punchRecords_) + ": card " + std::to_string(card) +
              " at " + TimeText(t) + ", station " + std::to_string(code),
          std::move(f), false, std::nullopt},
         now);
}

// ---- the line ----

std::vector<uint8_t> Station::TakeOutput(TimePoint now) {
    std::vector<uint8_t> result;
    while (!out_.empty()) {
        Segment& s = out_.front();
        if (s.ownWrite && !result.empty()) {
            break;
        }
        const TimePoint start = std::max(s.notBefore, lineFree_ + s.gapBefore);
        if (now < start) {
            break;
        }
        size_t n = s.bytes.size();
        if (pacing_) {
            const nanoseconds byteTime = ByteTime();
            n = std::min(n, static_cast<size_t>((now - start) / byteTime));
            if (n == 0) {
                break;
            }
            lineFree_ = start + n * byteTime;
        } else {
            lineFree_ = start;
        }
        result.insert(result.end(), s.bytes.begin(), s.bytes.begin() + static_cast<long>(n));
        if (n < s.bytes.size()) {
            s.bytes.erase(s.bytes.begin(), s.bytes.begin() + static_cast<long>(n));
            s.notBefore = lineFree_;
            s.gapBefore = nanoseconds(0);
            s.ownWrite = false;
            break;
        }
        out_.pop_front();
    }
    return result;
}

std::optional<TimePoint> Station::NextOutputTime() const {
    if (out_.empty()) {
        return std::nullopt;
    }
    const Segment& s = out_.front();
    const TimePoint start = std::max(s.notBefore, lineFree_ + s.gapBefore);
    return pacing_ ? start + ByteTime() : start;
}

} // namespace sisim
