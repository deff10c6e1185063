#include "SI_Port.h"

#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace SiProtocol;

namespace {

constexpr TRgb Green{0, 255, 0};
constexpr TRgb Red{255, 0, 0};
constexpr TRgb LightViolet{255, 128, 255};
constexpr TRgb Magenta{255, 0, 255};

// Offsets of the record fields.
constexpr size_t OffStation = 0;
constexpr size_t OffTime = 2;
constexpr size_t OffNumber = 11;
constexpr size_t OffFormat = 20;
constexpr size_t OffBlock = 22;
constexpr size_t OffData = 24;
constexpr size_t OffUnused = OffData + TCardBlockRec::DataSize;
static_assert(OffTime == OffStation + 2 && OffNumber == OffTime + 9 && OffFormat == OffNumber + 9 &&
              OffBlock == OffFormat + 2 && OffData == OffBlock + 2);
static_assert(OffUnused + 2 == TCardBlockRec::Size, "a card block record is 154 bytes");
static_assert(4 + 59 == TCardNumberRec::Size, "a card-number record is 63 bytes");

// The positions in the receive buffer of the parts of a reply.
constexpr size_t Si5DataAt = 5;         // 02 B1 82 SH SL data
constexpr size_t BlockDataAt = 6;       // 02 E1|EF 83 SH SL BN data
constexpr size_t LegacySi5Size = 132;   // 02 31 SC data(128) CS
constexpr size_t LegacyBlockSize = 134; // 02 61 SC BN data(128) CS 03
// LEN of the card-inserted messages: station code (2) and the card's four bytes.
constexpr uint8_t CardIdLen = 6;

// Flushing a line that never stops sending gives up after this many reads rather than hang
// the program.
constexpr int MaxFlushReads = 100;

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
}

uint16_t GetU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

std::string Hex(uint8_t b) {
    return " " + Tools::ByteToHex(b);
}

std::string HexLine(const uint8_t* bytes, size_t count) {
    std::string s;
    s.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        s += Hex(bytes[i]);
    }
    return s;
}

// Fixed-point text that does not depend on the locale (a Czech locale would give a comma).
std::string Fixed(double v, int decimals) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::string Trim(std::string_view s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) {
        return {};
    }
    const size_t e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

bool SameBytes(const uint8_t* p, std::initializer_list<uint8_t> expected) {
    return std::equal(expected.begin(), expected.end(), p);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Records

std::array<uint8_t, TCardBlockRec::Size> TCardBlockRec::ToBytes() const {
    std::array<uint8_t, Size> out{};
    PutU16(&out[OffStation], static_cast<uint16_t>(stationCode));
    platform::PutShortString(&out[OffTime], 8, readTime);
    platform::PutShortString(&out[OffNumber], 8, cardNumber);
    PutU16(&out[OffFormat], format);
    PutU16(&out[OffBlock], blockIndex);
    std::memcpy(&out[OffData], data.data(), DataSize);
    return out;
}

TCardBlockRec TCardBlockRec::FromBytes(const uint8_t* bytes) {
    TCardBlockRec r;
    r.stationCode = static_cast<int16_t>(GetU16(bytes + OffStation));
    r.readTime = platform::GetShortString(bytes + OffTime, 8);
    r.cardNumber = platform::GetShortString(bytes + OffNumber, 8);
    r.format = GetU16(bytes + OffFormat);
    r.blockIndex = GetU16(bytes + OffBlock);
    std::memcpy(r.data.data(), bytes + OffData, DataSize);
    return r;
}

std::array<uint8_t, TCardNumberRec::Size> TCardNumberRec::ToBytes() const {
    std::array<uint8_t, Size> out{};
    const auto v = static_cast<uint32_t>(cardNumber);
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(v >> (8 * i));
    }
    return out;
}

TCardNumberRec TCardNumberRec::FromBytes(const uint8_t* bytes) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    TCardNumberRec r;
    r.cardNumber = static_cast<int32_t>(v);
    return r;
}

// ---------------------------------------------------------------------------------------------
// Port

TSIPort::TSIPort(int com) : comNumber(com), line_("COM" + std::to_string(com)) {}

void TSIPort::InfoLine(const std::string& line) {
    if (view != nullptr) {
        view->InfoAddLine(line);
    }
}

void TSIPort::InfoAppend(const std::string& text) {
    if (view != nullptr) {
        view->InfoAppend(text);
    }
}

void TSIPort::Write(const uint8_t* bytes, size_t n) {
    if (port) {
        port->Write(bytes, static_cast<int>(n));
    }
}

void TSIPort::WriteAck() {
    const uint8_t ack = ACK;
    Write(&ack, 1);
}

int TSIPort::ReadTimeout() const {
    return Rezim >= 1 && Rezim <= 3 ? MaxTime : 3;
}

int TSIPort::RecordCount(int type) {
    switch (type) {
    case CardSi5Legacy:
    case CardSi5:
        return 1;
    case CardSi6Legacy:
    case CardSi6:
    case CardSi6Star:
        return 3;
    case CardSi8:
    case CardSi9:
    case CardPCard:
        return 2;
    case CardSi10:
        return 4;
    default:
        return 0;
    }
}

int TSIPort::CardNumber() const {
    const auto& d = cardRecords[0].data;
    switch (cardType) {
    case CardSi5Legacy: {
        int n = d[4] * 256 + d[5];
        if (d[6] > 1) {
            n += d[6] * 100000;
        }
        return n;
    }
    case CardSi6Legacy:
        return d[11] * 65536 + d[12] * 256 + d[13];
    case CardSi5:
    case CardSi6:
    case CardSi8:
    case CardSi9:
    case CardSi10:
    case CardPCard:
    case CardSi6Star:
        return frameInfo.cardNumber;
    default:
        return 0;
    }
}

void TSIPort::SetError(const std::string& text) {
    if (view != nullptr) {
        view->ShowError(text);
    }
    errorShown = !text.empty();
}

std::string TSIPort::CardLabel() const {
    std::string s;
    if (Rezim == 1 || Rezim == 2) {
        if (lastCard > 0) {
            s = "SI (" + CardTypeText(lastCard, static_cast<int>(cardType)) +
                ") = " + std::to_string(lastCard);
            if (SI_Typ::ProgramKind == SI_Typ::KindReader) {
                const double secs = static_cast<double>(Tools::Stamp() - detectedAt) / 1000.0;
                s += "  / " + Trim(Fixed(secs, 3)) + " s";
            }
        }
        if (lastPunchTime > 0) {
            s += " " + Trim(Fixed(lastPunchTime, 6));
        }
    } else if (Rezim == 3 && backupCount > 0) {
        s = std::to_string(backupCount);
    }
    return s;
}

void TSIPort::SetState(uint16_t newState) {
    if (state == StWaiting && newState != StWaiting) {
        stateStart = Tools::Stamp();
    }
    state = newState;
    switch (newState) {
    case StWaiting:
        stateText_ = "Waiting";
        indicator_ = errorShown ? Red : Green;
        break;
    case StReadFI:
        stateText_ = Rezim == 3 ? "Send GetBackup" : "Read FI";
        indicator_ = Rezim == 3 ? Magenta : LightViolet;
        break;
    case StSendGetCardData:
        stateText_ = Rezim == 3 ? "Read Backup ............" : "Send GetCardData";
        indicator_ = Rezim == 3 ? Magenta : LightViolet;
        break;
    case StReadingData:
        stateText_ = "Reading data";
        indicator_ = Magenta;
        break;
    case StDataOk:
        stateText_ = "Data OK";
        indicator_ = Magenta;
        break;
    case StDataError:
        stateText_ = "Data error";
        indicator_ = Magenta;
        break;
    case StSendAck:
        stateText_ = "Send ACK";
        indicator_ = Red;
        break;
    case StWritingData:
        stateText_ = "Writting data";
        indicator_ = Red;
        break;
    default:
        break; // further requests of a readout keep what the first one showed
    }
    if (view != nullptr) {
        view->ShowState(stateText_, indicator_);
    }
    if (displayHook) {
        if (newState == StWaiting && errorShown) {
            displayHook("vytahni cip", "a zkus to znovu", "pull UP !!", "... and try again");
        } else if (newState == StWaiting) {
            displayHook("OK", "OK", "OK", "OK");
        } else if (newState == StReadingData) {
            displayHook("cekej", "", "wait", "");
        }
    }
    if (view != nullptr) {
        view->ShowCard(CardLabel());
    }
}

void TSIPort::Flush(bool reset, bool keepCards) {
    // A card pulled or inserted while a readout goes on must not go with the rest: its message
    // is kept for the readout and state 0 to find.
    const bool keepMessages = (Rezim == 1 || Rezim == 2) && (state != StWaiting || keepCards);
    std::vector<uint8_t> dropped;
    if (keepMessages) {
        dropped.assign(carry.begin(), carry.begin() + carryCount);
        dropped.insert(dropped.end(), rx.begin(), rx.begin() + rxLen);
        carryCount = 0;
    }
    if (port) {
        std::array<uint8_t, RxSize> sink{};
        for (int i = 0; i < MaxFlushReads; ++i) {
            const int n = port->InQueue();
            if (n <= 0) {
                break;
            }
            const int r = port->Read(sink.data(), std::min<int>(n, RxSize));
            if (r <= 0) {
                break;
            }
            if (keepMessages) {
                dropped.insert(dropped.end(), sink.begin(), sink.begin() + r);
            }
        }
    }
    if (keepMessages) {
        KeepCardMessages(dropped);
    }
    if (reset) {
        SetState(StWaiting);
    }
    rxLen = 0;
    rxEscape = false;
}

void TSIPort::KeepCardMessages(const std::vector<uint8_t>& bytes) {
    const size_t n = bytes.size();
    size_t removedAt = n;
    size_t insertedAt = n;
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] != STX) {
            continue;
        }
        const size_t rest = n - i;
        const uint8_t cmd = rest > 1 ? bytes[i + 1] : 0;
        const bool removed = cmd == CmdCardRemoved;
        const bool inserted =
            cmd == CmdSi5Inserted || cmd == CmdSi6Inserted || cmd == CmdSi8Inserted;
        TSIFrameInfo info{};
        const ExtFrameResult r = rest >= 3 ? ParseExtFrameBytes(&bytes[i], rest, info)
                                           : ExtFrameResult{ExtFrameStatus::Incomplete, 0};
        // A removal here: whatever was inserted before has left again.
        const auto cardMessage = [&](bool insertion) {
            if (removed) {
                removedAt = i;
                insertedAt = n;
            } else if (insertion && insertedAt == n) {
                insertedAt = i;
            }
        };
        if (r.status == ExtFrameStatus::Complete && info.valid) {
            cardMessage(inserted);
            i += r.consumed - 1;
        } else if (r.status == ExtFrameStatus::Incomplete && (rest < 2 || inserted || removed) &&
                   (rest < 3 || bytes[i + 2] == CardIdLen)) {
            cardMessage(true); // the start of a message still coming
            break;
        }
    }
    // A removal goes on with what follows it, so that the readout ends and the next card's
    // message is found after it.
    const size_t keepFrom = removedAt < n ? removedAt : insertedAt;
    if (keepFrom < n) {
        const size_t kept = std::min(n - keepFrom, RxSize);
        std::memcpy(carry.data(), bytes.data() + keepFrom, kept);
        carryCount = static_cast<int32_t>(kept);
        pending_ = false;
        if (insertedAt < n) {
            InfoLine("Card inserted meanwhile: kept for the next readout");
        }
    }
}

bool TSIPort::CardLeftMessage() const {
    // A message may begin in the carry-over and end in the receive buffer.
    std::vector<uint8_t> b(carry.begin(), carry.begin() + carryCount);
    b.insert(b.end(), rx.begin(), rx.begin() + rxLen);
    for (size_t i = 0; i + 2 < b.size(); ++i) {
        const uint8_t cmd = b[i + 1];
        if (b[i] != STX || (cmd != CmdCardRemoved && cmd != CmdSi5Inserted &&
                            cmd != CmdSi6Inserted && cmd != CmdSi8Inserted)) {
            continue;
        }
        TSIFrameInfo info{};
        const ExtFrameResult r = ParseExtFrameBytes(&b[i], b.size() - i, info);
        if (r.status == ExtFrameStatus::Complete && info.valid) {
            return true;
        }
    }
    return false;
}

bool TSIPort::EndIfCardLeft() {
    if (!CardLeftMessage()) {
        return false;
    }
    // The runner pulled the card: no more replies will come, and the next card may follow at
    // once.
    InfoLine("Card removed during readout");
    SetError(SI_Typ::LangText("Čip vytažen během čtení", "Card removed during readout"));
    Flush(true);
    return true;
}

void TSIPort::LoseLine(const std::string& reason) {
    InfoLine("Line lost: " + reason);
    // Closed at once: a USB adapter plugged in again gets its old device name only once
    // nobody holds the old one.
    port.reset();
    lineLost_ = true;
    state = StWaiting;
    rxLen = 0;
    rxEscape = false;
    carryCount = 0;
    pending_ = false;
    line_.Failed(reason);
    ShowLineLost();
}

void TSIPort::ShowLineLost() {
    SetError(SI_Typ::LangText("Stanice odpojena: ", "Station disconnected: ") + line_.Reason());
    stateText_ = "Disconnected";
    indicator_ = Red;
    if (view != nullptr) {
        view->ShowState(stateText_, indicator_);
    }
}

void TSIPort::LogFrame(std::string_view title, const uint8_t* bytes, size_t count) {
    if (!InfoOkno) {
        return;
    }
    const platform::WallTime now = platform::GetClock().Now();
    InfoLine(platform::TimeText(now) + "," +
             Tools::PadLeft(std::to_string(now.millisecond), 3, '0') + " " + std::string(title));
    if (count > 0) {
        InfoLine(HexLine(bytes, count));
    }
    InfoLine("");
}

void TSIPort::SendExtCmd(const uint8_t* tmpl, size_t templateLength) {
    const std::vector<uint8_t> frame = CompleteExtFrame(tmpl, templateLength);
    Write(frame.data(), frame.size());
    LogFrame("Write Extend Command :", frame.data(), frame.size());
}

void TSIPort::DropCarry(size_t n) {
    n = std::min<size_t>(n, static_cast<size_t>(carryCount));
    std::memmove(carry.data(), carry.data() + n, static_cast<size_t>(carryCount) - n);
    carryCount -= static_cast<int32_t>(n);
}

bool TSIPort::ParseExtFrame(const uint8_t* bytes, size_t count, TSIFrameInfo& info) {
    const ExtFrameResult r = ParseExtFrameBytes(bytes, count, info);
    if (r.status == ExtFrameStatus::NotExtended) {
        return false;
    }
    if (r.status == ExtFrameStatus::Incomplete) {
        return true;
    }
    if (count > r.consumed) {
        // The next message came in the same read: keep it for the next look.
        const size_t rest = count - r.consumed;
        const size_t room = RxSize - static_cast<size_t>(carryCount);
        const size_t kept = std::min(rest, room);
        std::memcpy(carry.data() + carryCount, bytes + r.consumed, kept);
        carryCount += static_cast<int32_t>(kept);
        if (kept < rest) {
            InfoLine("Lost " + std::to_string(rest - kept) + " bytes (carry-over full)");
        }
    }
    const uint8_t cmd = bytes[1];
    if (cmd == CmdSi5Inserted || cmd == CmdSi6Inserted || cmd == CmdSi8Inserted) {
        if (view != nullptr) {
            view->InfoClear();
        }
    }
    LogFrame("GetExtendInstruction", bytes, r.consumed);
    return true;
}

int TSIPort::ReadCardInserted() {
    const int64_t now = Tools::Stamp();
    // A message whose rest never came is given up after the read time-out; whatever followed
    // its first byte is looked at again at once.
    bool rescan = false;
    if (pending_ && Tools::TimeDiffSec(pendingSince_, now) > ReadTimeout()) {
        InfoLine("Incomplete message dropped:" +
                 HexLine(carry.data(), static_cast<size_t>(carryCount)));
        DropCarry(1);
        pending_ = false;
        rescan = true;
    }
    const int n = port ? port->InQueue() : 0;
    if (n > 0) {
        InfoLine("ReadFI, L=" + std::to_string(n));
    }
    // Even a few bytes are taken off the line, so that a fragment too short to be a message
    // is held here, where it runs out, and not in front of the next message.
    if (!rescan && n <= 0 && (carryCount == 0 || pending_)) {
        return 0;
    }

    // The carry-over goes in front of the new bytes; what does not fit stays queued in the
    // driver for the next poll.
    std::array<uint8_t, RxSize> buf{};
    size_t len = static_cast<size_t>(carryCount);
    std::memcpy(buf.data(), carry.data(), len);
    carryCount = 0;
    const int room = static_cast<int>(RxSize - len);
    if (n > 0 && room > 0 && port) {
        const int r = port->Read(buf.data() + len, std::min(n, room));
        if (r > 0) {
            len += static_cast<size_t>(r);
        }
    }

    auto keepPending = [&](size_t from) {
        std::memcpy(carry.data(), buf.data() + from, len - from);
        carryCount = static_cast<int32_t>(len - from);
        if (!pending_) {
            pending_ = true;
            pendingSince_ = now;
        }
        return 0;
    };
    auto keepRest = [&](size_t from) {
        std::memcpy(carry.data(), buf.data() + from, len - from);
        carryCount = static_cast<int32_t>(len - from);
        pending_ = false;
    };

    bool loggedLegacy = false;
    size_t pos = 0;
    for (;;) {
        // Resynchronise on STX: noise before a message is skipped.
        const size_t stx =
            static_cast<size_t>(std::find(buf.begin() + pos, buf.begin() + len, STX) - buf.begin());
        if (stx > pos) {
            InfoLine("Skipped" + HexLine(buf.data() + pos, stx - pos));
        }
        pos = stx;
        if (pos >= len) {
            pending_ = false;
            return 0;
        }
        const uint8_t* b = buf.data() + pos;
        const size_t count = len - pos;
        if (count < 2) {
            return keepPending(pos);
        }
        const uint8_t cmd = b[1];
        if (cmd >= 0x80) {
            ParseExtFrame(b, count, frameInfo);
            const size_t whole = count >= 3 ? static_cast<size_t>(b[2]) + 6 : 0;
            if (whole == 0 || count < whole) {
                return keepPending(pos);
            }
            pending_ = false;
            if (frameInfo.valid == 0) {
                // Noise may look like the start of a frame that takes in the real message
                // behind it: everything after this STX is looked at again.
                keepRest(pos + 1);
                InfoLine("LastEI.ERR");
                return -1;
            }
            if (cmd == CmdSi5Inserted || cmd == CmdSi6Inserted || cmd == CmdSi8Inserted) {
                if (IsCardType(frameInfo.cardType)) {
                    detectedAt = now;
                    return frameInfo.cardType;
                }
                InfoLine("Command.ERR");
                return -1;
            }
            return 0;
        }

        frameInfo = TSIFrameInfo{};
        if (!loggedLegacy) {
            InfoLine("No Extend  ");
            loggedLegacy = true;
        }
        if (cmd == LegacySi5Inserted) {
            // 02 46 49 03
            if (count < 4) {
                return keepPending(pos);
            }
            if (b[2] == 0x49 && b[3] == ETX) {
                keepRest(pos + 4);
                detectedAt = now;
                return CardSi5Legacy;
            }
        } else if (cmd == LegacySi6Inserted) {
            // Ten bytes after DLE removal, the tenth ETX.
            size_t raw = 0;
            size_t kept = 0;
            bool escape = false;
            uint8_t last = 0;
            while (raw < count && kept < 10) {
                const uint8_t c = b[raw++];
                if (c == DLE && !escape) {
                    escape = true;
                    continue;
                }
                escape = false;
                last = c;
                ++kept;
            }
            if (kept < 10) {
                return keepPending(pos);
            }
            if (last == ETX) {
                keepRest(pos + raw);
                detectedAt = now;
                return CardSi6Legacy;
            }
        }
        // This STX starts nothing we know: look for the next one.
        pending_ = false;
        ++pos;
    }
}

void TSIPort::StoreRx(uint8_t b, int lineStart, size_t& lost) {
    if (rxLen >= RxSize) {
        ++lost;
        return;
    }
    rx[rxLen++] = b;
    if (view != nullptr) {
        if (rxLen > 1 && rxLen % 16 == lineStart) {
            view->InfoAddLine(Hex(b));
        } else {
            view->InfoAppend(Hex(b));
        }
    }
}

void TSIPort::ReadData(bool dleMode) {
    const int n = port ? port->InQueue() : 0;
    if (n <= 0) {
        return;
    }
    if (rxLen == 0) {
        InfoLine("");
    }
    std::array<uint8_t, RxSize> buf{};
    const int r = port->Read(buf.data(), std::min<int>(n, RxSize));
    if (r <= 0) {
        return;
    }
    InfoLine("RaadData Len=" + std::to_string(r) + "  " + std::to_string(rxLen));
    InfoLine("");
    size_t lost = 0;
    for (int i = 0; i < r; ++i) {
        const uint8_t c = buf[i];
        if (dleMode && c == DLE && !rxEscape) {
            rxEscape = true;
            continue;
        }
        rxEscape = false;
        // Data of a reply starts a line of the hex display.
        int lineStart = 0;
        if (rxLen >= 2) {
            const uint8_t cmd = rx[1];
            if (cmd == CmdGetSystemValue || cmd == CmdReadSi6 || cmd == CmdReadSi8) {
                lineStart = 7;
            } else if (cmd == CmdReadSi5) {
                lineStart = 6;
            }
        }
        StoreRx(c, lineStart, lost);
    }
    if (lost > 0) {
        InfoLine("Lost " + std::to_string(lost) + " bytes (receive buffer full)");
    }
}

void TSIPort::AppendRx(const uint8_t* bytes, size_t count, bool& escapeFlag) {
    size_t lost = 0;
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] == DLE && !escapeFlag) {
            escapeFlag = true;
            continue;
        }
        escapeFlag = false;
        StoreRx(bytes[i], 1, lost);
    }
    if (lost > 0) {
        InfoLine("Lost " + std::to_string(lost) + " bytes (receive buffer full)");
    }
}

// ---------------------------------------------------------------------------------------------
// Decoders

void TSIPort::FillRecord(int slot, int16_t station, int format, const uint8_t* data) {
    TCardBlockRec& rec = cardRecords[slot];
    rec = TCardBlockRec{};
    rec.stationCode = station;
    rec.readTime = platform::TimeText(platform::GetClock().Now()).substr(0, 8);
    rec.format = static_cast<uint16_t>(format);
    rec.blockIndex = static_cast<uint16_t>(slot + 1);
    std::memcpy(rec.data.data(), data, TCardBlockRec::DataSize);
    // The legacy cards carry their number only in the first block, so it is taken after the
    // data is in place.
    rec.cardNumber = Tools::PadLeft(std::to_string(CardNumber()), 8, ' ');
}

bool TSIPort::DecodeLegacySi5() {
    if (rxLen < LegacySi5Size || !SameBytes(rx.data(), {STX, LegacyReadSi5})) {
        SetError("Chybná načtená data ?");
        return false;
    }
    if (ByteSum(&rx[2], 129) != rx[131]) {
        SetError("Chyba Check SUM");
        return false;
    }
    cardRecords.fill(TCardBlockRec{});
    FillRecord(0, rx[2], 5, &rx[3]);
    return true;
}

bool TSIPort::DecodeLegacySi6(int blocks) {
    if (rxLen < 2 || !SameBytes(rx.data(), {STX, LegacyReadSi6})) {
        SetError("Chybná načtená data ?");
        return false;
    }
    cardRecords.fill(TCardBlockRec{});
    for (int k = 0; k < blocks && k < RecordSlots; ++k) {
        const size_t at = LegacyBlockSize * k;
        if (rxLen < at + LegacyBlockSize) {
            SetError("Chybná načtená data ?");
            return false;
        }
        if (ByteSum(&rx[at + 2], 130) != rx[at + 132]) {
            SetError("Chyba Check SUM");
            return false;
        }
        FillRecord(k, rx[at + 2], 6, &rx[at + 4]);
    }
    return true;
}

bool TSIPort::DecodeSi5() {
    if (rxLen < ExtSi5ReplySize || !SameBytes(rx.data(), {STX, CmdReadSi5, LenSi5Reply})) {
        SetError("Chybná načtená data ?");
        return false;
    }
    if (SiCrc(rx.data(), 1, 132) != ((rx[133] << 8) | rx[134])) {
        SetError("Chyba Check SUM");
        return false;
    }
    cardRecords.fill(TCardBlockRec{});
    FillRecord(0, static_cast<int16_t>(frameInfo.stationCode), 5, &rx[Si5DataAt]);
    return true;
}

bool TSIPort::DecodeSi6(bool skip) {
    cardRecords.fill(TCardBlockRec{});
    // The card's replies 1, 2, 3; of the eight an SI6* sends, 1, 7 and 8.
    const size_t plain[3] = {0, 1, 2};
    const size_t star[3] = {0, 6, 7};
    const size_t* replies = skip ? star : plain;
    for (int k = 0; k < 3; ++k) {
        const size_t at = ExtBlockReplySize * replies[k];
        const uint8_t* p = rx.data() + at;
        if (rxLen < at + ExtBlockReplySize || !SameBytes(p, {STX, CmdReadSi6, LenBlockReply})) {
            SetError("Chybná načtená data ?");
            return false;
        }
        if (SiCrc(p, 1, 133) != ((p[134] << 8) | p[135])) {
            SetError("Chyba Check SUM");
            return false;
        }
        FillRecord(k, static_cast<int16_t>(frameInfo.stationCode), 6, p + BlockDataAt);
    }
    return true;
}

bool TSIPort::DecodeSi8(int record) {
    if (record == 1) {
        cardRecords.fill(TCardBlockRec{});
    }
    if (rxLen < ExtBlockReplySize || !SameBytes(rx.data(), {STX, CmdReadSi8, LenBlockReply})) {
        SetError("Chybná načtená data ?");
        return false;
    }
    if (SiCrc(rx.data(), 1, 133) != ((rx[134] << 8) | rx[135])) {
        SetError("Chyba Check SUM");
        return false;
    }
    FillRecord(record - 1, static_cast<int16_t>(frameInfo.stationCode),
               static_cast<int>(cardType) - 100, &rx[BlockDataAt]);
    return true;
}

// ---------------------------------------------------------------------------------------------
// State machine

void TSIPort::FinishWith(bool decoded) {
    if (decoded) {
        SetState(StSendAck);
        WriteAck();
        lastCard = CardNumber();
    } else if (!EndIfCardLeft()) {
        SetState(StDataError);
        Flush(true);
    }
}

void TSIPort::NextBlock(bool decoded, uint8_t block, uint16_t nextState) {
    if (decoded) {
        Flush(false);
        // The card may have left between the reply and the flush.
        if (EndIfCardLeft()) {
            return;
        }
        const std::vector<uint8_t> frame = FrameReadSi8Block(block);
        SendExtCmd(frame.data(), frame.size());
        SetState(nextState);
    } else if (!EndIfCardLeft()) {
        SetState(StDataError);
        Flush(true);
    }
}

void TSIPort::Poll() {
    if (DisableCOM == 1 || Rezim == 0) {
        return;
    }
    if (lineLost_) {
        ReopenLine();
        return;
    }
    if (port) {
        if (const std::string gone = port->Gone(); !gone.empty()) {
            LoseLine(gone);
            return;
        }
    }
    if (Rezim == 1 || Rezim == 2) {
        PollReadout();
    } else if (Rezim == 3) {
        PollBackup();
    } else if (Rezim == 9) {
        PollAutoSend();
    }
}

void TSIPort::PollReadout() {
    if (state >= 1 && state <= 69 &&
        Tools::TimeDiffSec(stateStart, Tools::Stamp()) > ReadTimeout()) {
        SetError("Chyba při čtení");
        Flush(true);
    }

    if (state == StWaiting) {
        const int found = ReadCardInserted();
        if (found == -1) {
            SetError("Ext -1");
            InfoLine("ReadFI ERR -1");
            // The next card's message may follow the bad one, or be on its way.
            Flush(true, true);
        } else if (IsCardType(found)) {
            cardType = static_cast<uint32_t>(found);
            SetError("");
            InfoLine("ReadFI " + std::to_string(found));
            SetState(StReadFI);
            // Numbers only: the detection message names the card, nothing needs reading.
            // The legacy messages do not, so those cards are read to learn their number.
            if (Rezim == 2 && found != CardSi5Legacy && found != CardSi6Legacy) {
                WriteAck();
                lastCard = frameInfo.cardNumber;
                SetState(StSendAck);
            }
        }
    }

    if (state == StReadFI) {
        std::vector<uint8_t> frame;
        switch (cardType) {
        case CardSi5Legacy:
            frame = FrameLegacyReadSi5();
            Write(frame.data(), frame.size());
            break;
        case CardSi6Legacy:
            frame = FrameLegacyReadSi6();
            Write(frame.data(), frame.size());
            break;
        case CardSi5:
            frame = FrameReadSi5();
            SendExtCmd(frame.data(), frame.size());
            break;
        case CardSi6:
        case CardSi6Star:
            frame = FrameReadSi6();
            SendExtCmd(frame.data(), frame.size());
            break;
        default:
            frame = FrameReadSi8Block0();
            SendExtCmd(frame.data(), frame.size());
            break;
        }
        lastCard = 0;
        SetState(StSendGetCardData);
    }

    if ((state == 20 || (state >= 22 && state <= 26)) && (!port || port->OutQueue() == 0)) {
        SetState(static_cast<uint16_t>(state + 10));
    }

    if (state == StReadingData || (state >= 33 && state <= 36)) {
        ReadData(cardType == CardSi5Legacy || cardType == CardSi6Legacy);
    }

    if (state == StReadingData) {
        switch (cardType) {
        case CardSi5Legacy:
            if (rxLen > 131) {
                SetState(StDataOk);
                FinishWith(DecodeLegacySi5());
            }
            break;
        case CardSi6Legacy:
            if (rxLen > 401) {
                FinishWith(DecodeLegacySi6(3));
            }
            break;
        case CardSi5:
            if (rxLen > 135) {
                SetState(StDataOk);
                FinishWith(DecodeSi5());
            }
            break;
        case CardSi6:
        case CardSi6Star:
            // An SI6 whose first block begins 01 01 01 02 is an SI6* and sends eight replies.
            if (cardType == CardSi6 && rxLen > 410 &&
                SameBytes(&rx[BlockDataAt], {0x01, 0x01, 0x01, 0x02})) {
                cardType = CardSi6Star;
            }
            if (cardType == CardSi6 && rxLen > 410) {
                FinishWith(DecodeSi6(false));
            } else if (cardType == CardSi6Star && rxLen > 1095) {
                FinishWith(DecodeSi6(true));
            }
            break;
        case CardSi8:
        case CardSi9:
        case CardPCard:
            if (rxLen > 136) {
                NextBlock(DecodeSi8(1), 1, 23);
            }
            break;
        case CardSi10:
            if (rxLen > 136) {
                NextBlock(DecodeSi8(1), 4, 24);
            }
            break;
        default:
            break;
        }
    }

    if (state == 33) {
        if ((cardType == CardSi8 || cardType == CardSi9 || cardType == CardPCard) && rxLen > 136) {
            FinishWith(DecodeSi8(2));
        }
    }
    if (state == 34) {
        if (cardType == CardSi10 && rxLen > 136) {
            NextBlock(DecodeSi8(2), 5, 25);
        }
    }
    if (state == 35) {
        // Block 6 holds punches 65 to 96; block 5 was read by the request before.
        if (cardType == CardSi10 && rxLen > 136) {
            NextBlock(DecodeSi8(3), 6, 26);
        }
    }
    if (state == 36) {
        if (cardType == CardSi10 && rxLen > 136) {
            FinishWith(DecodeSi8(4));
        }
    }

    // A card that left before its last reply came: the readout ends. One whose data is whole
    // was decoded above and is written although it has left.
    if (state == StReadingData || (state >= 33 && state <= 36)) {
        EndIfCardLeft();
    }

    if (state == StSendAck && (!port || port->OutQueue() == 0)) {
        SetState(StWritingData);
    }

    if (state == StWritingData && WriteCardData()) {
        if (writeFailed_) {
            writeFailed_ = false;
            SetError("");
        }
        Flush(true);
    }
}

// ---------------------------------------------------------------------------------------------
// Files

std::string TSIPort::OutputDir() const {
    const std::string folder = SI_Typ::PodleRavlinOn() ? Tools::RavlinRacePath() : Path;
    return platform::WithTrailingSlash(Trim(folder));
}

std::string TSIPort::OutputFileName(int mode) const {
    const char* letter = mode == 2 ? "N" : mode == 3 ? "K" : "C";
    return OutputDir() + letter + SI_Port::ComChar(comNumber) + "_" + Tools::RaceNumberText() +
           ".si" + Tools::StageText();
}

bool TSIPort::WriteChipData(const std::filesystem::path& file, std::string& reason) {
    std::string bytes;
    const int count = RecordCount(static_cast<int>(cardType));
    for (int i = 0; i < count; ++i) {
        const auto rec = cardRecords[i].ToBytes();
        bytes.append(reinterpret_cast<const char*>(rec.data()), rec.size());
    }
    // The card goes on in one piece: a write that fails half-way is cut back off, so the
    // retry never leaves part of a card in front of the whole card; a record torn by a power
    // cut is cut off first, or it would shift every later card.
    std::string mended;
    const bool ok = platform::AppendWhole(
        file, bytes, &reason, platform::AppendTail::Records(TCardBlockRec::Size), &mended);
    if (!mended.empty()) {
        InfoLine(mended);
    }
    return ok;
}

bool TSIPort::WriteCardData() {
    if (Rezim == 9) {
        return WritePunch();
    }
    if (Rezim != 1 && Rezim != 2) {
        return true;
    }
    const std::string name = OutputFileName(Rezim);
    // A file that exists in another letter case is the same file to the results program.
    const std::filesystem::path file = platform::ResolveNoCase(name);
    std::string reason;
    bool ok = false;
    if (Rezim == 1) {
        ok = WriteChipData(file, reason);
    } else {
        TCardNumberRec rec;
        rec.cardNumber = CardNumber();
        if (rec.cardNumber == 0) {
            InfoLine("Card number unknown, nothing written");
            return true;
        }
        const auto bytes = rec.ToBytes();
        ok = platform::WriteFileAtomic(
            file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            &reason);
        const std::string prefix = file.string() + ": ";
        if (reason.rfind(prefix, 0) == 0) {
            reason.erase(0, prefix.size());
        }
    }
    if (!ok) {
        writeFailed_ = true;
        SetError(SI_Typ::LangText("Nelze zapsat soubor " + name, "Cannot write file " + name) +
                 " (" + reason + ")");
    }
    return ok;
}

// ---------------------------------------------------------------------------------------------

namespace SI_Port {

std::array<std::unique_ptr<TSIPort>, 19> Porty;

char ComChar(int com) {
    return com <= 9 ? static_cast<char>('0' + com) : static_cast<char>(com + 55);
}

std::optional<std::filesystem::path> FindCardNumberFile(const std::filesystem::path& folder,
                                                        int com) {
    const std::string name = std::string("N") + ComChar(com) + "_" + Tools::RaceNumberText() +
                             ".SI" + Tools::StageText();
    return platform::FindNoCase(folder, name);
}

} // namespace SI_Port
