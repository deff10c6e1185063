#include "SiProtocol.h"

#include <algorithm>
#include <cstring>

namespace SiProtocol {

bool IsCardType(int code) {
    switch (code) {
    case CardSi5Legacy:
    case CardSi6Legacy:
    case CardSi5:
    case CardSi6:
    case CardSi6Star:
    case CardSi8:
    case CardSi9:
    case CardSi10:
    case CardPCard:
        return true;
    default:
        return false;
    }
}

std::string CardTypeText(int cardNumber, int code) {
    switch (code) {
    case CardSi5Legacy:
    case CardSi5:
        return "5";
    case CardSi6Legacy:
    case CardSi6:
        return "6";
    case CardSi6Star:
        return "6*";
    case CardSi8:
        return "8";
    case CardSi9:
        return "9";
    case CardSi10:
        // One series byte covers three card families; the number range tells them apart.
        if (cardNumber >= 8000000 && cardNumber <= 8999999) {
            return "SIAC";
        }
        if (cardNumber >= 9000000 && cardNumber <= 9999999) {
            return "11";
        }
        return "10";
    case CardPCard:
        return "pCard";
    default:
        return std::to_string(code);
    }
}

uint16_t SiCrc(const uint8_t* bytes, size_t start, size_t count) {
    if (count < 2) {
        return 0;
    }
    const uint8_t* p = bytes + start;
    uint16_t crc = static_cast<uint16_t>((p[0] << 8) | p[1]);
    if (count == 2) {
        return crc;
    }
    // Words after the first; an odd last byte is padded with 0, an even count adds a zero word.
    for (size_t i = 2; i < count + (count % 2 == 0 ? 2 : 0); i += 2) {
        uint16_t val = 0;
        if (i < count) {
            val = static_cast<uint16_t>(p[i] << 8);
            if (i + 1 < count) {
                val |= p[i + 1];
            }
        }
        for (int bit = 0; bit < 16; ++bit) {
            const bool top = (crc & 0x8000) != 0;
            crc = static_cast<uint16_t>((crc << 1) + ((val & 0x8000) ? 1 : 0));
            if (top) {
                crc ^= 0x8005;
            }
            val = static_cast<uint16_t>(val << 1);
        }
    }
    return crc;
}

std::vector<uint8_t> CompleteExtFrame(const uint8_t* tmpl, size_t len) {
    const size_t n = len > 2 ? tmpl[2] : 0;
    std::vector<uint8_t> frame(n + 6, 0);
    std::memcpy(frame.data(), tmpl, std::min(len, n + 3));
    const uint16_t crc = SiCrc(frame.data(), 1, n + 2);
    frame[n + 3] = static_cast<uint8_t>(crc >> 8);
    frame[n + 4] = static_cast<uint8_t>(crc & 0xFF);
    frame[n + 5] = ETX;
    return frame;
}

std::vector<uint8_t> FrameReadSi5() {
    return CompleteExtFrame({STX, CmdReadSi5, 0x00});
}
std::vector<uint8_t> FrameReadSi6() {
    return CompleteExtFrame({STX, CmdReadSi6, 0x01, 0x08});
}
std::vector<uint8_t> FrameReadSi8Block(uint8_t n) {
    return CompleteExtFrame({STX, CmdReadSi8, 0x01, n});
}
std::vector<uint8_t> FrameReadSi8Block0() {
    return FrameReadSi8Block(0);
}
std::vector<uint8_t> FrameReadSi8Block1() {
    return FrameReadSi8Block(1);
}
std::vector<uint8_t> FrameReadSi8Block4() {
    return FrameReadSi8Block(4);
}
std::vector<uint8_t> FrameReadSi8Block5() {
    return FrameReadSi8Block(5);
}
std::vector<uint8_t> FrameGetSystemValue() {
    return CompleteExtFrame({STX, CmdGetSystemValue, 0x02, 0x74, 0x10});
}
std::vector<uint8_t> FrameSetMasterMode() {
    return CompleteExtFrame({STX, CmdSetMsMode, 0x01, 0x4D});
}
std::vector<uint8_t> FrameLegacyReadSi5() {
    return {STX, LegacyReadSi5, ETX};
}
std::vector<uint8_t> FrameLegacyReadSi6() {
    return {STX, LegacyReadSi6, DLE, 0x08, ETX};
}
std::vector<uint8_t> FrameLegacyProbe() {
    return {STX, LegacyProbe, 0x00, ETX};
}
std::vector<uint8_t> FrameLegacyReadBackupFirst() {
    return {STX, LegacyReadBackup, DLE, 0x00, DLE, 0x00, DLE, 0x00, ETX};
}
std::vector<uint8_t> FrameAck() {
    return {ACK};
}

void RemoveDle(uint8_t* bytes, size_t& count) {
    size_t out = 0;
    bool escape = false;
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] == DLE && !escape) {
            escape = true;
            continue;
        }
        escape = false;
        bytes[out++] = bytes[i];
    }
    count = out;
}

size_t AppendWithDle(std::vector<uint8_t>& dst, size_t capacity, const uint8_t* src, size_t n,
                     bool& escape) {
    size_t lost = 0;
    for (size_t i = 0; i < n; ++i) {
        if (src[i] == DLE && !escape) {
            escape = true;
            continue;
        }
        escape = false;
        if (dst.size() < capacity) {
            dst.push_back(src[i]);
        } else {
            ++lost;
        }
    }
    return lost;
}

ExtFrameResult ParseExtFrameBytes(const uint8_t* b, size_t count, TSIFrameInfo& info) {
    info = TSIFrameInfo{};
    if (count < 2 || b[0] != STX || b[1] < 0x80) {
        return {ExtFrameStatus::NotExtended, 0};
    }
    if (count < 3) {
        return {ExtFrameStatus::Incomplete, 0};
    }
    const size_t n = b[2];
    const size_t size = n + 6;
    if (count < size) {
        return {ExtFrameStatus::Incomplete, 0};
    }
    const uint8_t cmd = b[1];
    const uint8_t* data = b + 3;
    const uint16_t crc = static_cast<uint16_t>((b[n + 3] << 8) | b[n + 4]);
    if (b[n + 5] != ETX || crc != SiCrc(b, 1, n + 2)) {
        return {ExtFrameStatus::Complete, size};
    }
    const bool cardInserted =
        cmd == CmdSi5Inserted || cmd == CmdSi6Inserted || cmd == CmdSi8Inserted;
    // A card-inserted message names its card in DATA[2..5]; shorter ones are bad messages
    // rather than a reason to read the CRC bytes as a card number.
    if (cardInserted && n < 6) {
        return {ExtFrameStatus::Complete, size};
    }
    info.valid = 1;
    info.cmd = cmd;
    if (n >= 2) {
        info.stationCode = data[0] * 256 + data[1];
    }
    switch (cmd) {
    case CmdSi5Inserted:
        info.cardNumber = data[4] * 256 + data[5];
        if (data[3] > 1) {
            info.cardNumber += data[3] * 100000;
        }
        info.cardType = CardSi5;
        break;
    case CmdSi6Inserted:
        info.cardNumber = (data[3] << 16) | (data[4] << 8) | data[5];
        info.cardType = data[3] == 0xFF ? CardSi6Star : CardSi6;
        break;
    case CmdSi8Inserted:
        info.cardNumber = (data[3] << 16) | (data[4] << 8) | data[5];
        switch (data[2] & 0x0F) {
        case 0x1:
            info.cardType = CardSi9;
            break;
        case 0x2:
            info.cardType = CardSi8;
            break;
        case 0x4:
            info.cardType = CardPCard;
            break;
        case 0xF:
            info.cardType = CardSi10;
            break;
        default:
            info.cardType = 0;
            break;
        }
        break;
    default:
        break;
    }
    return {ExtFrameStatus::Complete, size};
}

bool FindLegacySi5Inserted(const uint8_t* b, size_t count) {
    static constexpr uint8_t pattern[] = {STX, LegacySi5Inserted, 0x49, ETX};
    return std::search(b, b + count, std::begin(pattern), std::end(pattern)) != b + count;
}

bool IsLegacySi6Inserted(const uint8_t* b, size_t count) {
    if (count < 2 || b[0] != STX || b[1] != LegacySi6Inserted) {
        return false;
    }
    std::vector<uint8_t> copy(b, b + count);
    size_t n = copy.size();
    RemoveDle(copy.data(), n);
    return n >= 10 && copy[9] == ETX;
}

uint8_t ByteSum(const uint8_t* b, size_t count) {
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum += b[i];
    }
    return static_cast<uint8_t>(sum & 0xFF);
}

} // namespace SiProtocol
