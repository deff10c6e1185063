// The kiosk's files against the results program's double.
#include "KioskTestSupport.h"
#include "RavlinSam.h"
#include "platform/IniFile.h"

namespace fs = std::filesystem;
using namespace SISam_Proc;

namespace {

class WithRavlin : public kiosktest::KioskTest {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        ravlin.SampleRace();
        ASSERT_TRUE(ravlin.WritePultraInf() && ravlin.ExportCategories() && ravlin.ExportRunners());
        pocitac.guidy = {"{11111111-2222-3333-4444-555555555555}"};
        Age();
        Poll("*.csv");
    }
    // Everything in the folder was written the quiet period before the next poll.
    void Age() { written = true; }
    std::string Ask(const TPozadavek& p) {
        const std::string guid = ZapisPozadavek(p);
        EXPECT_EQ(ravlin.Poll(), 1);
        return guid;
    }
    ravlin::RavlinSam ravlin{tmp.Path(), clock};
};

TEST_F(WithRavlin, ExportsLoadAndReadRequestsAnswerAClub) {
    platform::IniFile inf(tmp.Path() / "Pultra.inf");
    EXPECT_EQ(inf.ReadInteger("pultra", "Zavod", 0), 7);
    EXPECT_EQ(inf.ReadString("Pultra", "Nazev", ""), "Zkušební závod");
    EXPECT_EQ(MaxID, 40);
    EXPECT_EQ(SISam_Typ::SeznamKategorii.size(), 5u);
    const std::string club = Zavodnici[0].Oddil;
    Zavodnici[0].SI = 0;
    const std::string guid = Ask({"READ", "ZAVODNIK", "ODDIL", club, "", ""});
    Age();
    EXPECT_EQ(Poll("*.odp", guid), VysledekOK);
    EXPECT_EQ(Zavodnici[0].SI, 100001);
    EXPECT_TRUE(platform::ListByMask(sam, "*.odp").empty());
}

TEST_F(WithRavlin, ChangesAppliedRefusedDelayedOrUnanswered) {
    // Swap the starts of runners 1 and 2; Ravlin exports its table anew.
    const double s1 = Zavodnici[0].Start;
    const double s2 = Zavodnici[1].Start;
    clock.Advance(5000);
    std::string guid =
        Ask({"ChangeTime", "", "", "", RadekPozadavku(Zavodnici[0]), RadekPozadavku(Zavodnici[1])});
    Age();
    EXPECT_EQ(Poll("*.odp", guid), VysledekOK);
    EXPECT_DOUBLE_EQ(Zavodnici[0].Start, s2);
    EXPECT_DOUBLE_EQ(Zavodnici[1].Start, s1);
    Zavodnici[0].Start = -1;
    Age();
    Poll("*.csv");
    EXPECT_DOUBLE_EQ(Zavodnici[0].Start, s2); // from the new export

    ravlin.refuse = "Prezentace je uzavřena";
    pocitac.guidy = {"{A}"};
    guid = Ask({"Vakant", "", "", "", RadekPozadavku(Zavodnici[2]), ""});
    Age();
    EXPECT_EQ(Poll("*.odp", guid), VysledekZamitnuto);
    EXPECT_EQ(chyba, "Prezentace je uzavřena");

    // Late and slowly written answers wait; a silent Ravlin leaves nothing.
    ravlin.refuse.clear();
    ravlin.delayMs = 1000;
    ravlin.slowWrites = true;
    pocitac.guidy = {"{B}", "{C}"};
    guid = Ask({"ChangeSIcard", "", "", "", RadekPozadavku(Zavodnici[2]), "3;X;X;777;X;X;0.00;"});
    EXPECT_EQ(Poll("*.odp", guid), VysledekNic);
    clock.Advance(1000);
    ravlin.Poll(); // first half
    EXPECT_EQ(Poll("*.odp", guid), VysledekNic);
    ravlin.Poll();                               // the rest
    EXPECT_EQ(Poll("*.odp", guid), VysledekNic); // changed since the last look
    clock.Advance(platform::StableFileCheck::kQuietMs);
    EXPECT_EQ(Poll("*.odp", guid), VysledekOK);
    EXPECT_EQ(Zavodnici[2].SI, 777);
    ravlin.silent = true;
    guid = Ask({"Vakant", "", "", "", RadekPozadavku(Zavodnici[2]), ""});
    ravlin.Poll();
    EXPECT_TRUE(platform::ListByMask(sam, "*.odp").empty());
    EXPECT_TRUE(platform::ListByMask(sam, "*.poz").empty());
}

} // namespace
