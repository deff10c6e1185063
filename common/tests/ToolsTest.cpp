#include "Tools.h"
#include "QZ_CSV.h"
#include "platform/Clock.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using platform::IniFile;

TEST(FormPos, StatesStoreWhatTheNextStartNeeds) {
    IniFile ini("");
    Tools::FormPos pos{Tools::WindowState::Normal, 10, 20, 300, 400};
    Tools::SaveFormPos(ini, "fTest", pos);
    // Minimised: only the state, so the last normal placement stays.
    Tools::SaveFormPos(ini, "fTest", {Tools::WindowState::Minimized, 1, 2, 3, 4});
    Tools::FormPos loaded{Tools::WindowState::Maximized, 0, 0, 0, 0};
    Tools::LoadFormPos(ini, "FTEST", loaded);
    EXPECT_EQ(loaded.state, Tools::WindowState::Normal);
    EXPECT_EQ(loaded.top, 10);
    EXPECT_EQ(loaded.left, 20);
    EXPECT_EQ(loaded.width, 300);
    EXPECT_EQ(loaded.height, 400);

    Tools::SaveFormPos(ini, "fTest", {Tools::WindowState::Maximized, 1, 2, 3, 4});
    EXPECT_EQ(ini.ReadInteger("fTest", "Status", 0), 3);
    EXPECT_EQ(ini.ReadInteger("fTest", "Top", 0), 10);

    // Nothing stored: nothing changes.
    Tools::FormPos untouched{Tools::WindowState::Normal, 5, 6, 7, 8};
    Tools::LoadFormPos(ini, "Other", untouched);
    EXPECT_EQ(untouched.top, 5);
    EXPECT_EQ(untouched.height, 8);
}

TEST(Font, StylesAreAddedNeverRemovedAndPitchMustMatchExactly) {
    IniFile ini("");
    Tools::FontSpec font;
    font.name = "Courier New";
    font.size = 12;
    font.italic = true;
    font.underline = true;
    font.pitch = Tools::FontPitch::Fixed;
    Tools::SaveFontN(ini, 3, font);
    EXPECT_EQ(ini.ReadString("Font3", "Style", ""), "fsItalic,fsUnderline,");
    EXPECT_EQ(ini.ReadString("Font3", "Pitch", ""), "fpFixed");

    Tools::FontSpec bold;
    bold.bold = true;
    ini.WriteString("Font3", "Style", "fsItalic,");
    ini.WriteString("Font3", "Pitch", "fpfixed");
    Tools::LoadFontN(ini, 3, bold);
    EXPECT_TRUE(bold.bold);
    EXPECT_TRUE(bold.italic);
    EXPECT_FALSE(bold.underline);
    EXPECT_EQ(bold.pitch, Tools::FontPitch::Default);
    EXPECT_EQ(bold.name, "Courier New");
    EXPECT_EQ(bold.size, 12);
}

TEST(SiTime, TwelveHourStationClockBecomesRaceTime) {
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSec(3600, 10.00), 180.00F);
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSec(37230, 10.00), 20.30F);
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSec(33000, 10.00), -50.00F);
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSec(36000 + 65, 10.00), 1.05F);
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSec(36000 - 59, 10.00), -0.59F);
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSec(45000, 10.30), 120.00F); // 12:30 is 2 h after 10:30
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSecMs(37230, 101, 10.00), 20.30F + 0.050F);
    EXPECT_EQ(Tools::SecsToHMS(0x0E, 0x10), "01:00:00");
    EXPECT_EQ(Tools::SecsToHMS(0xA8, 0xBF), "11:59:59");
    EXPECT_EQ(Tools::MakeWord16(0x1FF, 0x01), 0xFF01);
}

TEST(SiTime, AnyZeroTimeFromASettingsFileGivesAnAnswerAtOnce) {
    // Start00 comes unchecked from settings files: no value may hang readout or overflow.
    for (const double reference :
         {1e15, -1e15, 1e300, std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        const float t = Tools::SiTimeToMinSec(3600, reference);
        EXPECT_TRUE(std::isfinite(t)) << reference;
    }
    // Far from the zero time on either side, the 12-hour steps are still whole.
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSec(3600, 20000.00), 300.00F);
    EXPECT_FLOAT_EQ(Tools::SiTimeToMinSec(3600 - 43200LL * 1000, 10.00), 180.00F);
}

TEST(TimeHelpers, IntervalsUseTheMonotonicClockAcrossMidnight) {
    platform::FakeClock clock;
    clock.SetWall({2026, 12, 8, 23, 59, 59, 900});
    platform::SetClock(&clock);
    const int64_t t1 = Tools::Stamp();
    clock.Advance(300); // past midnight on the wall clock
    EXPECT_DOUBLE_EQ(Tools::TimeDiffSec(t1, Tools::Stamp()), 0.3);
    const int64_t before = clock.MonotonicMs();
    Tools::WaitMs(150);
    EXPECT_GE(clock.MonotonicMs() - before, 150);
    platform::SetClock(nullptr);
}

TEST(TextHelpers, PaddingHexAndBits) {
    EXPECT_EQ(Tools::PadLeft("12345", 3, '0'), "12345");
    EXPECT_EQ(Tools::PadLeft("7", 4, '0'), "0007");
    EXPECT_EQ(Tools::PadRight("žák", 5, '.'), "žák.."); // counts characters, not bytes
    EXPECT_EQ(Tools::ByteToHex(0x0A), "0A");
    EXPECT_EQ(Tools::ByteToHex(0xF3), "F3");
    EXPECT_TRUE(Tools::BitsSet(0x0F, 0x05));
    EXPECT_FALSE(Tools::BitsSet(0x0A, 0x05));
    const uint8_t a[] = {1, 2, 3};
    const uint8_t b[] = {1, 2, 4};
    EXPECT_TRUE(Tools::SameBytes(a, b, 2));
    EXPECT_FALSE(Tools::SameBytes(a, b, 3));
}

TEST(SplitFields, FieldsTrimmedEmptyKeptTrailingSeparatorAddsNothing) {
    QZ_CSV::Fields f;
    f[29] = "stale";
    QZ_CSV::SplitFields("a; b;;c;", ';', f);
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[1], "b");
    EXPECT_EQ(f[2], "");
    EXPECT_EQ(f[3], "c");
    for (size_t i = 4; i < QZ_CSV::MaxFields; ++i) {
        EXPECT_EQ(f[i], "") << i;
    }
    QZ_CSV::SplitFields("\t x \x01", ';', f);
    EXPECT_EQ(f[0], "x");
}

TEST(SplitFields, LongLinesAreNeitherCutNorWrittenBeyondThirtyFields) {
    std::string line;
    for (int i = 1; i <= 35; ++i) {
        line += std::to_string(i) + ";";
    }
    const std::string longTail(600, 'x');
    line += longTail;
    QZ_CSV::Fields f;
    QZ_CSV::SplitFields(line, ';', f);
    EXPECT_EQ(f[28], "29");
    EXPECT_EQ(f[29], "30;31;32;33;34;35;" + longTail);

    QZ_CSV::SplitFields("a;" + longTail, ';', f);
    EXPECT_EQ(f[1], longTail);

    // Thirty fields and a closing separator, as with fewer fields: the separator adds no
    // field, also when blanks follow it.
    std::string thirty;
    for (int i = 1; i <= 30; ++i) {
        thirty += std::to_string(i) + ";";
    }
    for (const std::string& end : {std::string(), std::string(" "), std::string(" \t")}) {
        QZ_CSV::SplitFields(thirty + end, ';', f);
        EXPECT_EQ(f[29], "30") << "[" << end << "]";
    }
}
