#pragma once

// Card memory images the simulated station reads from.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sisim {

// SI10, SI11 and SIAC are one kind: the station reports and reads them alike.
enum class CardKind { Si5, Si6, Si6Star, Si8, Si9, PCard, Si10 };

// "si5", "si6", "si6*" or "si6star", "si8", "si9", "pcard", "si10", "si11", "siac" (any case).
std::optional<CardKind> ParseCardKind(std::string_view text);
std::string CardKindName(CardKind kind);

struct Card {
    CardKind kind;
    int number;
    // SI5: 128 bytes. The others: 8 blocks of 128 bytes.
    std::vector<uint8_t> memory;

    // Block n (0..7) of a block-organised card.
    std::vector<uint8_t> Block(int n) const;
};

// The card series byte of an SI8-family card, whose low nibble tells the family apart.
uint8_t SeriesByte(CardKind kind);

// Empty when the number can be stored where this kind of card keeps it, else the reason.
std::string CheckCardNumber(CardKind kind, int number);

// A plausible card: the number stored where the real card keeps it, a start, a finish and a
// few punches. The number must pass CheckCardNumber.
Card MakeCard(CardKind kind, int number);

// A card from a memory image: SI5 exactly 128 bytes; the others 1 to 8 whole blocks, the
// missing ones filled as blank memory. On failure error says why.
std::optional<Card> CardFromImage(CardKind kind, int number, std::vector<uint8_t> image,
                                  std::string& error);

} // namespace sisim
