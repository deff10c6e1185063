#pragma once

// Byte-level helpers for the two framings an SI station speaks: the extended protocol (length
// byte and CRC) and the legacy protocol (DLE stuffing, byte-sum checksums). Pure functions only:
// the port state machine and the station simulator both build on them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace SiProtocol {

inline constexpr uint8_t STX = 0x02;
inline constexpr uint8_t ETX = 0x03;
inline constexpr uint8_t DLE = 0x10;
inline constexpr uint8_t ACK = 0x06;

// Extended command codes (always 0x80 or higher).
inline constexpr uint8_t CmdReadSi5 = 0xB1;
inline constexpr uint8_t CmdReadSi6 = 0xE1;
inline constexpr uint8_t CmdReadSi8 = 0xEF;
inline constexpr uint8_t CmdGetSystemValue = 0x83;
inline constexpr uint8_t CmdSetMsMode = 0xF0;
inline constexpr uint8_t CmdSi5Inserted = 0xE5;
inline constexpr uint8_t CmdSi6Inserted = 0xE6;
inline constexpr uint8_t CmdCardRemoved = 0xE7;
inline constexpr uint8_t CmdSi8Inserted = 0xE8;

// LEN bytes of the data replies: 2 station-code bytes + 128 data bytes (SI5), and 2 station-code
// bytes + block number + 128 data bytes (SI6 and SI8-family blocks).
inline constexpr uint8_t LenSi5Reply = 0x82;
inline constexpr uint8_t LenBlockReply = 0x83;

// Legacy command codes (below 0x80).
inline constexpr uint8_t LegacySi5Inserted = 0x46;
inline constexpr uint8_t LegacySi6Inserted = 0x66;
inline constexpr uint8_t LegacyReadSi5 = 0x31;
inline constexpr uint8_t LegacyReadSi6 = 0x61;
inline constexpr uint8_t LegacyProbe = 0x70;
inline constexpr uint8_t LegacyReadBackup = 0x74;

// Sizes of complete replies on the wire (legacy ones after DLE removal).
inline constexpr size_t CardBlockSize = 128;
inline constexpr size_t ExtSi5ReplySize = 136;
inline constexpr size_t ExtBlockReplySize = 137;
inline constexpr size_t LegacySi5ReplyMinSize = 132;
inline constexpr size_t LegacySi6BlockFrameSize = 134;

// Card type codes used in files, labels and state decisions.
inline constexpr int CardSi5Legacy = 5;
inline constexpr int CardSi6Legacy = 6;
inline constexpr int CardSi5 = 105;
inline constexpr int CardSi6 = 106;
inline constexpr int CardSi6Star = 206;
inline constexpr int CardSi8 = 108;
inline constexpr int CardSi9 = 109;
inline constexpr int CardSi10 = 110; // SI10, SI11 and SIAC
inline constexpr int CardPCard = 181;

// True for the codes the reader accepts as a detected card.
bool IsCardType(int code);
// Short card type label: "5", "6", "6*", "8", "9", "10", "11", "SIAC", "pCard", or the code.
std::string CardTypeText(int cardNumber, int code);

// CRC-16 of the extended protocol over bytes[start .. start+count-1].
uint16_t SiCrc(const uint8_t* bytes, size_t start, size_t count);

// The wire bytes of an extended frame from a template (STX, CMD, LEN, DATA...): the CRC and ETX
// are recomputed from the LEN byte, whatever the template holds after the data. Missing data
// bytes count as 0. Returns LEN + 6 bytes.
std::vector<uint8_t> CompleteExtFrame(const uint8_t* tmpl, size_t len);
inline std::vector<uint8_t> CompleteExtFrame(const std::vector<uint8_t>& tmpl) {
    return CompleteExtFrame(tmpl.data(), tmpl.size());
}

// Fixed command frames, complete as they go on the wire.
std::vector<uint8_t> FrameReadSi5();               // 02 B1 00 B1 00 03
std::vector<uint8_t> FrameReadSi6();               // 02 E1 01 08 4E 0A 03 (block set 8)
std::vector<uint8_t> FrameReadSi8Block(uint8_t n); // 02 EF 01 nn crc crc 03
std::vector<uint8_t> FrameReadSi8Block0();         // 02 EF 01 00 E2 09 03
std::vector<uint8_t> FrameReadSi8Block1();         // 02 EF 01 01 E3 09 03
std::vector<uint8_t> FrameReadSi8Block4();         // 02 EF 01 04 E6 09 03
std::vector<uint8_t> FrameReadSi8Block5();         // 02 EF 01 05 E7 09 03
std::vector<uint8_t> FrameGetSystemValue();        // 02 83 02 74 10 04 72 03
std::vector<uint8_t> FrameSetMasterMode();         // 02 F0 01 4D 6D 0A 03
std::vector<uint8_t> FrameLegacyReadSi5();         // 02 31 03
std::vector<uint8_t> FrameLegacyReadSi6();         // 02 61 10 08 03
std::vector<uint8_t> FrameLegacyProbe();           // 02 70 00 03
std::vector<uint8_t> FrameLegacyReadBackupFirst(); // 02 74 10 00 10 00 10 00 03
std::vector<uint8_t> FrameAck();                   // 06

// Removes DLE escapes in place: a DLE that is not itself escaped is dropped and the byte after
// it kept literally. count is updated.
void RemoveDle(uint8_t* bytes, size_t& count);

// Appends src to dst removing DLE escapes; escape carries a DLE that ended one chunk over to
// the next. dst never grows beyond capacity; returns how many bytes could not be stored.
size_t AppendWithDle(std::vector<uint8_t>& dst, size_t capacity, const uint8_t* src, size_t n,
                     bool& escape);

// Not packed, though the field order is fixed: it never goes to a file, and packed int32
// members cannot be bound to references without misaligned access.
struct TSIFrameInfo {
    uint8_t valid; // 1 when the last frame passed ETX and CRC checks
    uint8_t cmd;
    int32_t stationCode;
    int32_t cardNumber;
    int32_t cardType; // card type code, 0 when the frame names no card
};

enum class ExtFrameStatus {
    NotExtended, // byte 0 is not STX or byte 1 is below 0x80
    Incomplete,  // fewer than LEN + 6 bytes so far
    Complete,    // a whole frame; info says whether it is valid
};

struct ExtFrameResult {
    ExtFrameStatus status;
    size_t consumed; // LEN + 6 when Complete (bytes after it belong to the next frame), else 0
};

// Examines the extended frame at the start of b. info is cleared first; for a complete frame it
// gets valid, cmd, station code, and for card-inserted messages the card number and type.
ExtFrameResult ParseExtFrameBytes(const uint8_t* b, size_t count, TSIFrameInfo& info);

// Legacy protocol: the SI5-inserted message 02 46 49 03 anywhere in the bytes.
bool FindLegacySi5Inserted(const uint8_t* b, size_t count);
// Legacy protocol: bytes begin 02 66 and, after DLE removal, the tenth byte is ETX.
bool IsLegacySi6Inserted(const uint8_t* b, size_t count);
// Sum of the bytes modulo 256: the legacy card data checksum.
uint8_t ByteSum(const uint8_t* b, size_t count);

} // namespace SiProtocol
