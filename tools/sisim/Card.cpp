#include "Card.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace sisim {

namespace {

constexpr size_t kBlock = 128;
constexpr size_t kBlocks = 8;
constexpr uint8_t kBlank = 0xEE; // what unwritten card memory reads as
constexpr uint16_t kStationCode = 1;

struct Punch {
    int code;
    int secondsOfDay;
};

// A start at 10:00:00, punches five minutes apart, the finish five minutes after the last.
constexpr int kStart = 10 * 3600;
constexpr int kCheck = kStart - 120;
constexpr std::array<Punch, 5> kPunches{{{31, kStart + 300},
                                         {32, kStart + 600},
                                         {45, kStart + 900},
                                         {33, kStart + 1200},
                                         {100, kStart + 1500}}};
constexpr int kFinish = kStart + 1800;

// Cards keep times as seconds within the half day, with a PM flag where there is room for one.
uint16_t HalfDaySeconds(int secondsOfDay) {
    return static_cast<uint16_t>(secondsOfDay % 43200);
}

void Put16(std::vector<uint8_t>& m, size_t at, unsigned v) {
    m[at] = static_cast<uint8_t>(v >> 8);
    m[at + 1] = static_cast<uint8_t>(v);
}

// The four-byte record of SI6 and SI8-family cards: flags, code, time.
void PutRecord4(std::vector<uint8_t>& m, size_t at, int code, int secondsOfDay) {
    m[at] = secondsOfDay >= 43200 ? 0x01 : 0x00;
    m[at + 1] = static_cast<uint8_t>(code);
    Put16(m, at + 2, HalfDaySeconds(secondsOfDay));
}

void PutNumber24(std::vector<uint8_t>& m, size_t at, int number) {
    m[at] = static_cast<uint8_t>(number >> 16);
    m[at + 1] = static_cast<uint8_t>(number >> 8);
    m[at + 2] = static_cast<uint8_t>(number);
}

std::vector<uint8_t> MakeSi5(int number) {
    std::vector<uint8_t> m(kBlock, 0x00);
    const int series = number / 100000;
    Put16(m, 0x04, static_cast<unsigned>(number % 100000));
    m[0x06] = static_cast<uint8_t>(series > 1 ? series : 1);
    Put16(m, 0x13, HalfDaySeconds(kStart));
    Put16(m, 0x15, HalfDaySeconds(kFinish));
    m[0x17] = static_cast<uint8_t>(kPunches.size() + 1);
    Put16(m, 0x19, HalfDaySeconds(kCheck));
    // Punch records of three bytes, five to each 16-byte group after its leading byte.
    for (size_t i = 0; i < kPunches.size(); ++i) {
        const size_t at = 0x21 + (i / 5) * 16 + (i % 5) * 3;
        m[at] = static_cast<uint8_t>(kPunches[i].code);
        Put16(m, at + 1, HalfDaySeconds(kPunches[i].secondsOfDay));
    }
    return m;
}

std::vector<uint8_t> MakeSi6(int number, bool star) {
    std::vector<uint8_t> m(kBlock * kBlocks, kBlank);
    const uint8_t head[] = {0x01, 0x01, 0x01, static_cast<uint8_t>(star ? 0x02 : 0x01)};
    std::copy(std::begin(head), std::end(head), m.begin());
    m[0x0A] = static_cast<uint8_t>(static_cast<unsigned>(number) >> 24);
    PutNumber24(m, 0x0B, number);
    m[0x12] = static_cast<uint8_t>(kPunches.size());
    PutRecord4(m, 0x14, kStationCode, kFinish);
    PutRecord4(m, 0x18, kStationCode, kStart);
    PutRecord4(m, 0x1C, kStationCode, kCheck);
    for (size_t i = 0; i < kPunches.size(); ++i) {
        PutRecord4(m, 6 * kBlock + i * 4, kPunches[i].code, kPunches[i].secondsOfDay);
    }
    return m;
}

} // namespace

uint8_t SeriesByte(CardKind kind) {
    switch (kind) {
    case CardKind::Si9:
        return 0x01;
    case CardKind::Si8:
        return 0x02;
    case CardKind::PCard:
        return 0x04;
    default:
        return 0x0F;
    }
}

namespace {

size_t FirstPunchOffset(CardKind kind) {
    switch (kind) {
    case CardKind::Si9:
        return 0x38;
    case CardKind::Si8:
        return 0x88;
    case CardKind::PCard:
        return 0xB0;
    default:
        return 4 * kBlock;
    }
}

std::vector<uint8_t> MakeSi8Family(CardKind kind, int number) {
    std::vector<uint8_t> m(kBlock * kBlocks, kBlank);
    const unsigned uid = static_cast<unsigned>(number) * 2654435761u;
    for (size_t i = 0; i < 4; ++i) {
        m[i] = static_cast<uint8_t>(uid >> (24 - 8 * i));
    }
    PutRecord4(m, 0x08, kStationCode, kCheck);
    PutRecord4(m, 0x0C, kStationCode, kStart);
    PutRecord4(m, 0x10, kStationCode, kFinish);
    m[0x16] = static_cast<uint8_t>(kPunches.size());
    m[0x18] = SeriesByte(kind);
    PutNumber24(m, 0x19, number);
    const size_t first = FirstPunchOffset(kind);
    for (size_t i = 0; i < kPunches.size(); ++i) {
        PutRecord4(m, first + i * 4, kPunches[i].code, kPunches[i].secondsOfDay);
    }
    return m;
}

} // namespace

std::optional<CardKind> ParseCardKind(std::string_view text) {
    std::string t(text);
    std::transform(t.begin(), t.end(), t.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (t == "si5") {
        return CardKind::Si5;
    }
    if (t == "si6") {
        return CardKind::Si6;
    }
    if (t == "si6*" || t == "si6star") {
        return CardKind::Si6Star;
    }
    if (t == "si8") {
        return CardKind::Si8;
    }
    if (t == "si9") {
        return CardKind::Si9;
    }
    if (t == "pcard") {
        return CardKind::PCard;
    }
    if (t == "si10" || t == "si11" || t == "siac") {
        return CardKind::Si10;
    }
    return std::nullopt;
}

std::string CardKindName(CardKind kind) {
    switch (kind) {
    case CardKind::Si5:
        return "SI5";
    case CardKind::Si6:
        return "SI6";
    case CardKind::Si6Star:
        return "SI6*";
    case CardKind::Si8:
        return "SI8";
    case CardKind::Si9:
        return "SI9";
    case CardKind::PCard:
        return "pCard";
    case CardKind::Si10:
        return "SI10/SI11/SIAC";
    }
    return "?";
}

std::vector<uint8_t> Card::Block(int n) const {
    const size_t at = static_cast<size_t>(n) * kBlock;
    std::vector<uint8_t> block(kBlock, kBlank);
    if (n >= 0 && at + kBlock <= memory.size()) {
        std::copy_n(memory.begin() + static_cast<long>(at), kBlock, block.begin());
    }
    return block;
}

std::string CheckCardNumber(CardKind kind, int number) {
    if (number < 1) {
        return "card numbers start at 1";
    }
    if (kind == CardKind::Si5) {
        // 16 bits of number, and a series byte counting hundred thousands from 2 on.
        const int series = number / 100000;
        if (number <= 0xFFFF || (series >= 2 && series <= 0xFF && number % 100000 <= 0xFFFF)) {
            return {};
        }
        return "an SI5 card holds up to 65535, or S*100000 plus up to 65535 with S from 2 to 255";
    }
    if (number > 0xFFFFFF) {
        return "the station reports card numbers in 24 bits (up to 16777215)";
    }
    return {};
}

Card MakeCard(CardKind kind, int number) {
    switch (kind) {
    case CardKind::Si5:
        return {kind, number, MakeSi5(number)};
    case CardKind::Si6:
    case CardKind::Si6Star:
        return {kind, number, MakeSi6(number, kind == CardKind::Si6Star)};
    default:
        return {kind, number, MakeSi8Family(kind, number)};
    }
}

std::optional<Card> CardFromImage(CardKind kind, int number, std::vector<uint8_t> image,
                                  std::string& error) {
    error = CheckCardNumber(kind, number);
    if (!error.empty()) {
        return std::nullopt;
    }
    if (kind == CardKind::Si5) {
        if (image.size() != kBlock) {
            error = "an SI5 image is 128 bytes, this one " + std::to_string(image.size());
            return std::nullopt;
        }
        return Card{kind, number, std::move(image)};
    }
    if (image.empty() || image.size() % kBlock != 0 || image.size() > kBlock * kBlocks) {
        error = "an image is 1 to 8 blocks of 128 bytes, this one " + std::to_string(image.size()) +
                " bytes";
        return std::nullopt;
    }
    image.resize(kBlock * kBlocks, kBlank);
    return Card{kind, number, std::move(image)};
}

} // namespace sisim
