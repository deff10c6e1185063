#include "Card.h"

#include <gtest/gtest.h>

using namespace sisim;

TEST(CardTest, Si5NumbersMustFitSeriesAndSixteenBits) {
    for (int ok : {1, 65535, 200000, 265535, 412345, 25565535}) {
        EXPECT_EQ(CheckCardNumber(CardKind::Si5, ok), "") << ok;
    }
    // 100000..165535 would need series 1, which the reader does not add.
    for (int bad : {0, 65536, 99999, 100000, 165535, 265536, 25600000}) {
        EXPECT_NE(CheckCardNumber(CardKind::Si5, bad), "") << bad;
    }
    EXPECT_EQ(CheckCardNumber(CardKind::Si10, 0xFFFFFF), "");
    EXPECT_NE(CheckCardNumber(CardKind::Si10, 0x1000000), "");
}

TEST(CardTest, ImagesOfWholeBlocks) {
    std::string error;
    EXPECT_FALSE(CardFromImage(CardKind::Si5, 1, std::vector<uint8_t>(127), error));
    EXPECT_NE(error, "");
    EXPECT_TRUE(CardFromImage(CardKind::Si5, 1, std::vector<uint8_t>(128), error));
    EXPECT_FALSE(CardFromImage(CardKind::Si5, 70000, std::vector<uint8_t>(128), error));

    for (size_t bad : {0, 100, 1025, 1152}) {
        EXPECT_FALSE(CardFromImage(CardKind::Si8, 2000001, std::vector<uint8_t>(bad), error))
            << bad;
    }
    const auto c = CardFromImage(CardKind::Si8, 2000001, std::vector<uint8_t>(256, 0x11), error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Block(1), std::vector<uint8_t>(128, 0x11));
    EXPECT_EQ(c->Block(2), std::vector<uint8_t>(128, 0xEE)); // blank memory beyond the image
}
