#include "Parsery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Parsery;

namespace {

// What a line should give: accepted or not, and the record when accepted.
struct Row {
    std::string line;
    bool accept;
    TMezicasRec want{};
};

TMezicasRec Rec(int32_t cip, int32_t bib, int32_t kod, std::string cas, int32_t stav, uint16_t druh,
                uint16_t usek = 0) {
    TMezicasRec r;
    r.Cip = cip;
    r.StartCislo = bib;
    r.Kod = kod;
    r.Cas = std::move(cas);
    r.Stav = stav;
    r.Druh = druh;
    r.Usek = usek;
    return r;
}

template <typename Parse> void Check(const std::vector<Row>& rows, Parse parse) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        TMezicasRec got;
        ASSERT_EQ(parse(row.line, got), row.accept);
        if (row.accept) {
            EXPECT_EQ(got.Cip, row.want.Cip);
            EXPECT_EQ(got.StartCislo, row.want.StartCislo);
            EXPECT_EQ(got.Kod, row.want.Kod);
            EXPECT_EQ(got.Cas, row.want.Cas);
            EXPECT_EQ(got.Stav, row.want.Stav);
            EXPECT_EQ(got.Druh, row.want.Druh);
            EXPECT_EQ(got.Usek, row.want.Usek);
        }
    }
}

// The second timer protocol: byte 16, 'R', the bib in columns 13..17, the channel in 27..29,
// the flag in 30 and hhmmssffff from 31 on.
std::string P2(std::string bib5, std::string channel3, char flag, std::string time10,
               char second = 'R') {
    return std::string("\x10") + second + "xxxxxxxxxx" + bib5 + "xxxxxxxxx" + channel3 + flag +
           time10 + "\r\n";
}

} // namespace

TEST(Parsery, ColumnsPastTheEndReadEmptyAndNumbersAreStrictDecimal) {
    EXPECT_EQ(Columns("abc", 2, 9), "bc");
    EXPECT_EQ(Columns("abc", 4, 9), "");
    EXPECT_EQ(Column("abc", 9), '\0');
    struct {
        const char* text;
        bool ok;
        int32_t value;
    } numbers[] = {{"157", true, 157},       {"  157", true, 157},
                   {"-3", true, -3},         {"+4", true, 4},
                   {"", false, 0},           {"   ", false, 0},
                   {"15 ", false, 0},        {"0x10", false, 0},
                   {"1.5", false, 0},        {"2147483647", true, 2147483647},
                   {"2147483648", false, 0}, {"+-1", false, 0}};
    for (const auto& n : numbers) {
        int32_t v = -99;
        EXPECT_EQ(ReadNumber(n.text, v), n.ok) << n.text;
        if (n.ok) {
            EXPECT_EQ(v, n.value) << n.text;
        }
    }
}

TEST(Parsery, SplitLinesInSourceOrderWithChipMemory) {
    TLastChip last{};
    Check(
        {
            {"1234567;10:15:07,30;31;0\r\n", true, Rec(1234567, 0, 31, "10:15:07,30", 0, 2)},
            {"*U2157;10:15:07,30;1;\r\n", true, Rec(0, 157, 1, "10:15:07,30", 0, 2, 2)},
            {"555;10:16:00;1\r\n", true, Rec(555, 0, 1, "10:16:00", 0, 2)},
            {"*157;10:16:01;1\r\n", true, Rec(555, 157, 1, "10:16:01", 0, 2)},
            {"0;10:16:02;1;x\r\n", true, Rec(555, 0, 1, "10:16:02", 0, 2)},
            {"0;10:16:03;31;-1\r\n", true, Rec(0, 0, 31, "10:16:03", -1, 2)},
            {"K1;10:00:00,00;5\r\n", true, Rec(0, 0, 5, "10:00:00,00", 5, 4)},
            {"SREI2  157;10:00:00;20\r\n", true, Rec(0, 157, 20, "10:00:00", 5, 5)},
            {"SREI2abc;10:00:00;20\r\n", true, Rec(0, 0, 20, "10:00:00", 5, 5)},
            {"77;10:15:07,30123456;31\r\n", true, Rec(77, 0, 31, "10:15:07,3012", 0, 2)},
            {";10:15:07;31\r\n", false},
            {"77;10:15:07;x\r\n", false},
            {"77;10:15:07\r\n", false},
            {"12a;10:15:07;31\r\n", false},
            {"*abc;10:15:07;31\r\n", false},
            {"*Ux157;10:15:07;31\r\n", false},
            {"*U2ab;10:15:07;31\r\n", false},
            {"\r\n", false},
        },
        [&](const std::string& l, TMezicasRec& r) { return ParseSplitLine(l, r, &last); });
    EXPECT_EQ(last[0], 555);
    EXPECT_EQ(last[30 - 1], 0);
    // Read back from the own copy, nothing is borrowed.
    TMezicasRec r;
    ASSERT_TRUE(ParseSplitLine("0;10:16:02;1\r\n", r, nullptr));
    EXPECT_EQ(r.Cip, 0);
}

TEST(Parsery, RacomLines) {
    Check(
        {
            {"  123456   31 10:15:07.3\r\n", true, Rec(123456, 0, 31, "10:15:07.3", 0, 1)},
            {"  123456  131 10:15:07.30000\r\n", true, Rec(123456, 0, 131, "10:15:07.3", 0, 1)},
            {"    1234  31", true, Rec(1234, 0, 31, "", 0, 1)},
            {"    1234  x1 10:15:07.3\r\n", false},
            {"    12a4  31 10:15:07.3\r\n", false},
            {"    1234  31 10:15;07.3\r\n", false},
            {" \r\n", false},
        },
        ParseRacomLine);
}

TEST(Parsery, AlgeFinishLinesWithMemoAndSecondProtocol) {
    TAlgeMemoCasy memo;
    int32_t druh = 0;
    TParserContext context;
    context.DruhZavodu = [&] { return druh; };
    context.PocetUsekuStafety = [](int32_t bib, int32_t usek, std::string_view cas) {
        return bib == 157 && usek == 255 && cas == "12:34:56.1234" ? 3 : 0;
    };
    auto parse = [&](const std::string& l, TMezicasRec& r) {
        return ParseAlgeFinishLine(l, r, memo, context);
    };
    Check(
        {
            {"*0157     12:34:56.1234\r\n", true, Rec(0, 157, 29, "12:34:56.123", 5, 3)},
            {"i 157     12:34:56.1\r\n", true, Rec(0, 157, 29, "12:34:56.1", 5, 3)},
            {"*0157\r\n", true, Rec(0, 157, 29, "", 5, 3)},
            {"m0158     12:34:57.1234\r\n", false},
            {"c0158     12:34:57.19\r\n", false}, // the memo matches on 10 characters
            {"c0159     12:34:57.1234\r\n", true, Rec(0, 159, 29, "12:34:57.123", -1, 3)},
            {" 0157     12:34:56.1234\r\n", false},
            {"x0157     12:34:56.1234\r\n", false},
            {"*01a7     12:34:56.1234\r\n", false},
            {"*0157     12:34;56.1234\r\n", false},
            {P2("  157", "002", '0', "1234561234"), true,
             Rec(0, 157, 29, "12:34:56.1234", 5, 3, 2)},
            {P2("  157", "001", 'C', "1234561234"), true,
             Rec(0, 157, 29, "12:34:56.1234", 5, 3, 1)},
            {P2("  157", "255", 'K', "1234561234"), true, Rec(0, 157, 29, "12:34:56.1234", 5, 3)},
            {P2("  158", "004", 'a', "1234571234"), false}, // remembered by the "m" line
            {P2("  160", "004", 'a', "1234571234"), true,
             Rec(0, 160, 29, "12:34:57.1234", -1, 3, 4)},
            {P2("  157", "005", '0', "1234561234"), false},
            {P2("  157", "0x1", '0', "1234561234"), false},
            {P2("  157", "001", 'X', "1234561234"), false},
            {P2("  1x7", "001", '0', "1234561234"), false},
            {P2("  157", "001", '0', "1234561234", 'S'), false},
            {P2("  157", "001", '0', "12;4561234"), false},
            {std::string("\x10R") + "xxxxxxxxxx  157xxxxxxxxx001", false},
        },
        parse);
    memo.Remember(158, "12:34:57.1"); // kept once
    EXPECT_EQ(memo.Count(), 1u);
    // In a relay, channel 255 takes the legs of the team's category.
    druh = 2;
    Check({{P2("  157", "255", '0', "1234561234"), true, Rec(0, 157, 29, "12:34:56.1234", 5, 3, 3)},
           {P2("  199", "255", '0', "1234561234"), true, Rec(0, 199, 29, "12:34:56.1234", 5, 3)}},
          parse);
}

TEST(Parsery, AlgeManualAndStartLines) {
    const std::string manual = "0001      12:34:56.123               157\r\n";
    Check(
        {
            {manual, true, Rec(0, 157, 29, "12:34:56.123", 5, 3)},
            {manual.substr(0, 39), true, Rec(0, 15, 29, "12:34:56.123", 5, 3)},
            {"0001      12:34:56.123               1x7\r\n", false},
            {"0001      12:34:56.123\r\n", false},
            {"0001      12:34;56.123               157\r\n", false},
            {"\r\n", false},
        },
        ParseAlgeManualLine);
    Check(
        {
            {"0001 K 1 12:00:00.000\r\n", true, Rec(0, 0, 1, "12:00:00.000", 5, 4)},
            {"0001 K12 12:00:00.0\r\n", true, Rec(0, 0, 12, "12:00:00.0", 5, 4)},
            {"      C0  12:00:00.000\r\n", true, Rec(0, 0, 20, "12:00:00.000", 5, 4)},
            {"      C3  12:00:00.0", true, Rec(0, 0, 3, "12:00:00.0", 5, 4)},
            {"      C3  12:00:00\r\n", false},
            {"      Cx  12:00:00.000\r\n", false},
            {"      X3  12:00:00.000\r\n", false},
            {"0001 Kab 12:00:00.000\r\n", false},
            {"      C3  12:00;00.000\r\n", false},
            {P2("  157", "000", '0', "1234561234"), true, Rec(0, 157, 20, "12:34:56.1234", 5, 5)},
            {P2("  157", "000", 'P', "1234561234"), true, Rec(0, 157, 9001, "12:34:56.1234", 5, 5)},
            {P2("  157", "001", '0', "1234561234"), false},
            {P2("  157", "000", 'K', "1234561234"), false},
            {P2("   ab", "000", '0', "1234561234"), false},
            {" \r\n", false},
        },
        ParseAlgeStartLine);
}
