// Mode 3: the backup memory of a control station read page by page through the legacy
// protocol, and the punch list written to a text file named after the control.

#include "Dialogs.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "Tools.h"

#include <algorithm>
#include <cstring>

using namespace SiProtocol;

namespace {

// 02 74 SC page pointer count: the reply's header; its data and ETX follow.
constexpr size_t HeaderSize = 6;

std::string HexBytes(const uint8_t* b, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += " " + Tools::ByteToHex(b[i]);
    }
    return s;
}

std::vector<uint8_t> BackupRequest(const std::array<uint8_t, 3>& v) {
    return {STX, LegacyReadBackup, DLE, v[0], DLE, v[1], DLE, v[2], ETX};
}

} // namespace

void TSIPort::StartBackupRead() {
    // The button exists only in mode 3, whose line is open.
    if (Rezim != 3 || !port) {
        return;
    }
    backup.Clear();
    backupCount = 0;
    backupLen = 0;
    backupNext = {0, 0, 0};
    backupDataLen = 0;
    backupLastPage = 0;
    Flush(true);
    const std::vector<uint8_t> request = FrameLegacyReadBackupFirst();
    Write(request.data(), request.size());
    SetState(StReadFI);
    if (view != nullptr) {
        view->SetWriteButtonVisible(false);
        view->InfoClear();
    }
    InfoLine("Send :");
}

void TSIPort::FailBackupRead(const std::string& error) {
    // The punches cut so far stay listed, but an incomplete list is not offered for writing.
    SetError(error);
    Flush(true);
    if (view != nullptr) {
        view->SetWriteButtonVisible(false);
    }
}

void TSIPort::PollBackup() {
    if (state >= 1 && state <= 69 &&
        Tools::TimeDiffSec(stateStart, Tools::Stamp()) > ReadTimeout()) {
        FailBackupRead("Chyba při čtení");
    }
    if (state == StReadFI && (!port || port->OutQueue() == 0)) {
        SetError("");
        SetState(StSendGetCardData);
        if (view != nullptr) {
            view->SetWriteButtonVisible(false);
        }
    }
    if (state == StSendGetCardData) {
        if (view != nullptr) {
            view->SetWriteButtonVisible(false);
        }
        ReadBackupStep();
    }
}

void TSIPort::ReadBackupStep() {
    InfoAppend(".");
    const int n = port ? port->InQueue() : 0;
    if (n <= 0) {
        return;
    }
    std::array<uint8_t, RxSize> buf{};
    const int r = port->Read(buf.data(), std::min<int>(n, RxSize));
    size_t skipped = 0;
    for (int i = 0; i < r; ++i) {
        const uint8_t c = buf[i];
        if (c == DLE && !rxEscape) {
            rxEscape = true;
            continue;
        }
        rxEscape = false;
        // A reply ends once its header's count of data bytes and the ETX are in, so more bytes
        // than that were never one reply (they are left from another mode's exchange on this
        // line): drop them rather than collect without end.
        if (rxLen > HeaderSize &&
            rxLen >= HeaderSize + static_cast<size_t>(std::max(backupDataLen, 0)) + 1) {
            skipped += rxLen;
            rxLen = 0;
        }
        // A reply starts with 02 74; whatever comes before it is line noise (a DLE in the
        // noise may stand in front of the STX).
        if (rxLen == 0 && c != STX) {
            ++skipped;
            continue;
        }
        if (rxLen == 1 && c != LegacyReadBackup) {
            ++skipped;
            rxLen = 0;
            if (c == STX) {
                rx[rxLen++] = c;
            }
            continue;
        }
        rx[rxLen++] = c;
        if (rxLen == HeaderSize) {
            InfoLine("Get : " + std::to_string(rx[0]) + " " + std::to_string(rx[1]) + " " +
                     std::to_string(rx[2]) + " " + Tools::ByteToHex(rx[3]) + " " +
                     Tools::ByteToHex(rx[4]) + " " + Tools::ByteToHex(rx[5]) + " : ");
            const uint8_t page = rx[3];
            // Pages count down to 1. A station that names a page not below the last one would
            // have the readout go on forever; page 0 has no page after it either.
            if (backupLastPage > 0 && page >= backupLastPage) {
                FailBackupRead("Chybná načtená data ?");
                return;
            }
            backupNext = {static_cast<uint8_t>(page > 1 ? page - 1 : 0), rx[4],
                          static_cast<uint8_t>(page == 2 ? rx[4] : 0)};
            backupDataLen = rx[5] == 0 ? 256 : rx[5];
        } else if (rxLen > HeaderSize && rxLen == backupDataLen + HeaderSize + 1) {
            // Anything after the reply is stale: the station sends only when asked.
            if (skipped > 0) {
                InfoLine("Skipped " + std::to_string(skipped) + " bytes");
            }
            EndBackupReply();
            return;
        }
    }
    if (skipped > 0) {
        InfoLine("Skipped " + std::to_string(skipped) + " bytes");
    }
}

void TSIPort::EndBackupReply() {
    const size_t count = static_cast<size_t>(backupDataLen);
    const uint8_t last = rx[HeaderSize + count];
    if (last != ETX) {
        // A byte lost or gained on the way would shift every record after it.
        InfoAppend(" >" + Tools::ByteToHex(last));
        FailBackupRead("Chybná načtená data ?");
        return;
    }
    const size_t room = backupBuf.size() - static_cast<size_t>(backupLen);
    const size_t take = std::min(count, room);
    std::string shown;
    for (size_t i = 0; i < take; ++i) {
        backupBuf[backupLen + i] = rx[HeaderSize + i];
        shown +=
            " " + std::to_string(backupLen + i + 1) + "-" + Tools::ByteToHex(rx[HeaderSize + i]);
    }
    backupLen += static_cast<int32_t>(take);
    InfoAppend(shown + " >" + Tools::ByteToHex(last));
    CutBackupRecords();
    backupLastPage = rx[3];
    rxLen = 0;
    rxEscape = false;
    if (backupNext[0] != 0) {
        const std::vector<uint8_t> request = BackupRequest(backupNext);
        stateStart = Tools::Stamp();
        InfoLine("Send >" + HexBytes(request.data(), request.size()));
        Write(request.data(), request.size());
        SetState(StReadFI);
        return;
    }
    if (backupLen > 0) {
        InfoLine("Incomplete record at the end:" +
                 HexBytes(backupBuf.data(), static_cast<size_t>(backupLen)));
    }
    SetState(StWaiting);
    InfoLine("Přečteno OK");
    backup.Sort();
    if (view != nullptr) {
        view->SetWriteButtonVisible(!backup.Empty());
    }
}

void TSIPort::CutBackupRecords() {
    size_t at = 0;
    const auto len = static_cast<size_t>(backupLen);
    while (len - at >= SI_Backup::RecordSize) {
        const TReadBackup1 punchRead = SI_Backup::DecodeRecord(&backupBuf[at]);
        backup.Add(punchRead);
        InfoLine(Tools::PadLeft(std::to_string(backup.Count()), 5, ' ') + " : " +
                 Tools::PadLeft(std::to_string(punchRead.cardNumber), 8, ' ') + " " +
                 punchRead.punchTime);
        at += SI_Backup::RecordSize;
    }
    // A record may begin on one page and end on the next.
    std::memmove(backupBuf.data(), backupBuf.data() + at, len - at);
    backupLen = static_cast<int32_t>(len - at);
    backupCount = static_cast<int32_t>(backup.Count());
}

bool TSIPort::SaveBackupList() {
    if (SI_Backup::ControlNumberDialog) {
        // Closing the dialog without a number must not write to the file chosen last time.
        SI_Typ::SouborKontroly.clear();
        SI_Backup::ControlNumberDialog();
    }
    const std::string file = SI_Typ::SouborKontroly;
    if (file.empty() || SI_Backup::LacksControlNumber(file)) {
        return false;
    }
    std::string reason;
    if (!SI_Backup::WriteList(file, backup, &reason)) {
        Dialogs::Messages().Error(
            SI_Typ::LangText("Seznam nelze zapsat: ", "Cannot write the list: ") + reason);
        return false;
    }
    return true;
}
