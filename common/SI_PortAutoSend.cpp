// Mode 9 ("PC Auto"): punch records a control station sends on its own, appended to the race's
// punch files and handed to the race's punch queue.

#include "SI_Port.h"
#include "SI_Punch.h"
#include "SI_Typ.h"
#include "Tools.h"

#include <algorithm>
#include <cstring>

using namespace SiProtocol;

namespace {

constexpr uint8_t PunchRecord = 0x53;
// STX 53 rec station series hi lo - th tl sub - - ETX, after DLE removal.
constexpr size_t PunchRecordSize = 14;

} // namespace

int32_t TSIPort::PunchCardNumber(const uint8_t* record) {
    const int32_t series = record[4];
    const int32_t n = record[5] * 256 + record[6];
    if (series < 2) {
        return n;
    }
    if (series < 5) {
        return n + series * 100000;
    }
    return n + series * 65536;
}

void TSIPort::SyncAutoSend() {
    size_t at = 0;
    while (at < rxLen && !(rx[at] == STX && (at + 1 == rxLen || rx[at + 1] == PunchRecord))) {
        ++at;
    }
    if (at == 0) {
        return;
    }
    std::string dropped;
    for (size_t i = 0; i < at; ++i) {
        dropped += " " + Tools::ByteToHex(rx[i]);
    }
    InfoLine("Skipped" + dropped);
    std::memmove(rx.data(), rx.data() + at, rxLen - at);
    rxLen = static_cast<uint16_t>(rxLen - at);
}

void TSIPort::AppendAutoSend() {
    const int n = port ? port->InQueue() : 0;
    // Only what fits is taken; the rest waits in the driver for the next tick, so nothing is
    // lost and the buffer never grows beyond its size.
    const int room = static_cast<int>(RxSize - rxLen);
    if (n <= 0 || room <= 0) {
        return;
    }
    std::array<uint8_t, RxSize> buf{};
    const int r = port->Read(buf.data(), std::min(n, room));
    if (r > 0) {
        AppendRx(buf.data(), static_cast<size_t>(r), rxEscape);
    }
    SyncAutoSend();
}

bool TSIPort::ReadAutoSend() {
    if (!port || port->InQueue() < 2) {
        return false;
    }
    AppendAutoSend();
    return rxLen >= 2;
}

bool TSIPort::DecodePunch() {
    const uint8_t* b = rx.data();
    if (rxLen < PunchRecordSize || b[0] != STX || b[1] != PunchRecord ||
        b[PunchRecordSize - 1] != ETX) {
        SetError("Chybná načtená data ?");
        return false;
    }
    punch = TPunchRec{};
    punch.stationCode = b[3];
    punch.cardNumber = PunchCardNumber(b);
    punch.recordByte = b[2];
    punch.timeHigh = b[8];
    punch.timeLow = b[9];
    punch.subSecond = b[10];
    lastCard = punch.cardNumber;
    lastPunchTime = Tools::SiTimeToMinSecMs(Tools::MakeWord16(b[8], b[9]), b[10], SI_Typ::Start00);
    std::memmove(rx.data(), rx.data() + PunchRecordSize, rxLen - PunchRecordSize);
    rxLen = static_cast<uint16_t>(rxLen - PunchRecordSize);
    return true;
}

bool TSIPort::WritePunch() {
    std::string reason;
    std::string mended;
    const bool saved = SI_Punch::SavePunch(punch, &reason, &mended);
    if (!mended.empty()) {
        InfoLine(mended);
    }
    SI_Punch::AddNezprac(punch);
    if (!saved) {
        SetError(SI_Typ::LangText("Nelze zapsat ", "Cannot write ") + reason);
        InfoLine("Punch of card " + std::to_string(punch.cardNumber) + " not saved: " + reason);
    }
    return saved;
}

void TSIPort::PollAutoSend() {
    if (state >= 1 && state <= 59 &&
        Tools::TimeDiffSec(stateStart, Tools::Stamp()) > ReadTimeout()) {
        // Only the record that stopped half-way is dropped: what is queued on the line may be
        // the next whole record.
        SetError("Chyba při čtení");
        if (rxLen > 0) {
            std::string dropped;
            for (size_t i = 0; i < rxLen; ++i) {
                dropped += " " + Tools::ByteToHex(rx[i]);
            }
            InfoLine("Incomplete record dropped:" + dropped);
        }
        rxLen = 0;
        rxEscape = false;
        SetState(StWaiting);
    }
    if (state == StWaiting && ReadAutoSend()) {
        SetError("");
        SetState(StReadFI);
    }
    if (state != StReadFI) {
        return;
    }
    AppendAutoSend();
    bool ended = false;
    while (rxLen >= PunchRecordSize) {
        ended = true;
        SetState(StSendGetCardData);
        if (DecodePunch()) {
            SetState(StReadingData);
            // A failed append is shown on the error label; the punches after it go on.
            WriteCardData();
            SetState(StWaiting);
        } else {
            // Look for the next record start after the broken one rather than throw away
            // whole records that came with it.
            SetState(StDataError);
            std::memmove(rx.data(), rx.data() + 1, rxLen - 1u);
            --rxLen;
            SyncAutoSend();
        }
    }
    if (ended) {
        if (state != StWaiting) {
            SetState(StWaiting);
        }
        // The start of the next record waits for its rest, under the time-out.
        if (rxLen > 0) {
            SetState(StReadFI);
        }
    }
}
