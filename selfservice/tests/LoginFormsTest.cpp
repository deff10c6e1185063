// Login texts and the auto-logout countdown, the chip prompt, the information form's wait and
// the administrator settings, as logic.
#include "KioskTestSupport.h"
#include "PrihlaseniLogic.h"
#include "SI_Port.h"
#include "fAdminLogic.h"
#include "fInfoFormaLogic.h"
#include "fNactiCipLogic.h"
#include "platform/IniFile.h"

namespace fs = std::filesystem;
using namespace PrihlaseniLogic;
using SISam_Typ::Prihlaseni;

namespace {

class Login : public kiosktest::KioskTest {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        const auto z = [](int id, const char* jmeno, int si) {
            auto& r = SISam_Proc::Zavodnici[size_t(id - 1)];
            r.ID = id;
            r.Jmeno = jmeno;
            r.SI = si;
            r.Oddil = "ABC";
            r.RegC = "0101";
            r.Kategorie = "H21";
        };
        z(1, "NOVÁK Jan", 1001);
        z(2, "DVOŘÁK Petr", 2002);
        z(3, "SVOBODA Ivo", 2002); // shares a card with 2
        SISam_Proc::MaxID = 3;
    }
    std::string Protokol() {
        return platform::Cp1250ToUtf8(testsupport::ReadBytes("Protokol.txt"));
    }
};

TEST_F(Login, TextsForRunnersSharedAndUnknownCardsAndTheAdministrator) {
    struct Pripad {
        int32_t card;
        int32_t siAdmin;
        int druhZav;
        int16_t uroven;
        bool runner;
        const char* text;
        const char* tlacitko;
    };
    const Pripad pripady[] = {
        {0, 0, 0, 10, false, "Pokud chceš provádět změny,\rmusíš se přihlásit (LOGIN)", "LOGIN"},
        {0, 0, 2, 10, false, "", "LOGIN"},
        {-1, 0, 0, 10, false, "Pokud chceš provádět změny,\rmusíš se přihlásit (LOGIN)", "LOGIN"},
        {1001, 0, 0, 20, true, "LOGIN : SI=1001\rABC0101 NOVÁK Jan", "LOGOUT"},
        {2002, 0, 0, 10, false, "SI čip není v závodě použit,\rnení možno provádět žádné změny.",
         "LOGIN"},
        {999, 0, 2, 10, false, "SI čip není v závodě použit,\rnení možno provádět žádné změny.",
         "LOGIN"},
        {999, 999, 0, 40, false, "(ADMIN) SI čip není v závodě použit", "LOGOUT"},
        {1001, 1001, 0, 40, true, "(ADMIN) LOGIN : SI=1001\rABC0101 NOVÁK Jan", "LOGOUT"},
    };
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(p.card);
        EXPECT_EQ(Prihlas(p.card, p.siAdmin), p.runner);
        EXPECT_EQ(Prihlaseni.Uroven, p.uroven);
        EXPECT_EQ(Prihlaseni.ID, p.runner ? 1 : 0);
        EXPECT_EQ(TextPrihlaseni(p.druhZav), p.text);
        EXPECT_EQ(TextTlacitka(), p.tlacitko);
    }
    SI_Typ::Language = 1;
    Prihlas(2002, 0);
    EXPECT_EQ(TextPrihlaseni(0), "SI card is not used in this race,\ryou can't do any changes");
    Prihlas(0, 0);
    EXPECT_EQ(TextPrihlaseni(0), "I you can do any change,\ryou must LOGIN");
    SI_Typ::Language = 0;
    Prihlaseni.KlubAdmina = "XYZ";
    Odhlas();
    EXPECT_EQ(Prihlaseni.KlubAdmina, "");
    const std::string log = Protokol();
    EXPECT_NE(log.find(";1001;1;NOVÁK Jan;Log IN ADMIN\r\n"), std::string::npos);
    EXPECT_NE(log.find(";1001;1;NOVÁK Jan;Log IN\r\n"), std::string::npos);
    EXPECT_NE(log.find(";0;0;;Log OUT\r\n"), std::string::npos);
    EXPECT_EQ(NajdiZavodnikaPodleCipu(0), -1);
}

TEST_F(Login, CountdownResetPausedAndLoggingOutAtZero) {
    TOdpocet o;
    Prihlas(1001, 0);
    TZobrazeni z;
    for (int s = 1; s <= 29; ++s) {
        z = o.Tick(s);
        ASSERT_FALSE(z.odhlasit) << s;
    }
    EXPECT_EQ(z.bar, 1);
    EXPECT_TRUE(z.barViditelny && z.hintViditelny && z.textViditelny);
    EXPECT_FALSE(o.Tick(30).hintViditelny); // the hint blinks
    o.Reset();                              // a press, a scroll or a request
    o.Dialog(true);
    o.Dialog(true);
    for (int s = 0; s < 100; ++s) {
        EXPECT_FALSE(o.Tick(s).odhlasit);
    }
    o.Dialog(false);
    EXPECT_EQ(o.Tick(0).bar, 30);
    o.Dialog(false);
    for (int s = 1; s < 30; ++s) {
        ASSERT_FALSE(o.Tick(s).odhlasit);
    }
    z = o.Tick(30);
    EXPECT_TRUE(z.odhlasit);
    EXPECT_FALSE(z.barViditelny);
    // Logged out: the login hint blinks, the countdown logs nobody out.
    Prihlas(0, 0);
    EXPECT_FALSE(o.Tick(2).textViditelny);
    z = o.Tick(3);
    EXPECT_TRUE(z.textViditelny);
    EXPECT_FALSE(z.odhlasit || z.barViditelny || z.hintViditelny);
}

TEST_F(Login, ChipPromptTakesACardOrEndsOnThe101stTick) {
    NactiCip::TNactiCipModel m;
    int32_t karta = 0;
    m.zdroj = [&karta] { return karta; };
    m.Nastav("Vlož do SI jednotky svůj čip", 10);
    int tiku = 0;
    while (!m.Tick()) {
        ++tiku;
    }
    EXPECT_EQ(tiku + 1, 101);
    EXPECT_EQ(m.Vysledek(), -1);
    EXPECT_EQ(m.Pozice(), m.Maximum());
    m.Nastav("x", 10);
    EXPECT_FALSE(m.Tick());
    karta = 1001;
    EXPECT_TRUE(m.Tick());
    EXPECT_EQ(m.Vysledek(), 1001);

    // By default the cards come from the card-number files: the first port's that holds a
    // record, emptied as it is taken.
    SI_Typ::Etapa = 1;
    fs::create_directories("Data_Sam");
    TCardNumberRec rec;
    const auto put = [&rec](const char* name, int32_t card) {
        rec.cardNumber = card;
        const auto b = rec.ToBytes();
        testsupport::WriteBytes(fs::path("Data_Sam") / name,
                                std::string(reinterpret_cast<const char*>(b.data()), b.size()));
    };
    put("N3_0007.si1", 3333);
    put("NA_0007.SI1", 1010);
    testsupport::WriteBytes("Data_Sam/N1_0007.SI1", "");
    NactiCip::TNactiCipModel z;
    for (int32_t card : {3333, 1010, -1}) {
        z.Nastav("x", 0);
        while (!z.Tick()) {
        }
        EXPECT_EQ(z.Vysledek(), card);
    }
}

TEST(InfoFormModel, WaitEndsOnTheAnswerOrAfterItsTicksAndAMessageOnItsButtons) {
    InfoForma::TInfoFormaModel m;
    m.Nastav("a", "b", false, 2);
    EXPECT_FALSE(m.Radek2Viditelny() || m.NeViditelne());
    int t = 1;
    while (!m.Tick(0)) {
        ++t;
    }
    EXPECT_EQ(t, 10);
    EXPECT_EQ(m.Vysledek(), 3);
    m.Nastav("a", "b", false, 20);
    EXPECT_FALSE(m.Tick(0));
    EXPECT_TRUE(m.Tick(2));
    EXPECT_EQ(m.Vysledek(), 2);
    m.Nastav("a", "b", true, 0);
    EXPECT_TRUE(m.NeViditelne() && m.Radek2Viditelny());
    EXPECT_FALSE(m.Tick(1)); // a message waits for its buttons, whatever the flag says
    m.Ne();
    EXPECT_EQ(m.Vysledek(), 2);
    EXPECT_EQ(InfoForma::SirkaFormy(300, 900, 20, 1024), 940);
}

TEST_F(Login, AdminFolderFoundInAnyCaseAndValuesKeptInRange) {
    testsupport::WriteBytes(tmp.Path() / "PULTRA.INF", "[Pultra]\r\n");
    EXPECT_EQ(Admin::Vyhodnoceni(tmp.Path().string()), "");
    EXPECT_EQ(Admin::Porty().size(), 21u);
    platform::IniFile ini("Pultra.ini");
    ini.WriteInteger("Param", "Timeout", 0);
    ini.WriteInteger("Pultra_Main", "COM", 25);
    Admin::THodnoty h = Admin::Nacti(ini);
    EXPECT_EQ(h.timeout, 10);
    EXPECT_EQ(Admin::IndexPortu(h.com), 0);
    h.com = Admin::ComZIndexu(0);
    ASSERT_TRUE(Admin::Uloz(ini, h, std::nullopt));
    EXPECT_EQ(platform::IniFile("Pultra.ini").ReadInteger("Pultra_Main", "COM", 0), -1);
}

} // namespace
