// The registration desk's flows with scripted dialogs against the results program's double.
#include "Prezentace.h"
#include "KioskTestSupport.h"
#include "PrihlaseniLogic.h"
#include "RavlinSam.h"
#include "fInfoFormaLogic.h"

#include <functional>

namespace fs = std::filesystem;
using namespace Prezentace;

namespace {

// How the double meets the WRITE request: it makes the change, refuses it, stays silent, or
// answers without making it (the header alone, another runner's line, or the named runners as
// they stand: the old card, the old start, not vacant).
enum class Ravlin { Prijme, Odmitne, Mlci, JenHlavicka, JinyZavodnik, BezZmeny };

// Answers the desk's dialogs from a script; a wait runs the wait form's model on the fake
// clock, with the double taking requests every 500 ms. The double switches to the fault under
// test when it meets the first WRITE request, so the refreshes before it are answered.
class Skript : public IDialogy {
public:
    struct Info {
        std::string r1, r2;
        bool ne;
        int sekundy;
    };
    Skript(ravlin::RavlinSam& r, platform::FakeClock& c, fs::path sam)
        : ravlin(r), clock(c), sam_(std::move(sam)) {}

    std::string Vyber(const TVolba& v) override {
        volby.push_back(v);
        if (vyber.empty()) {
            ADD_FAILURE() << "unexpected chooser " << v.titulek;
            return {};
        }
        auto f = vyber.front();
        vyber.pop_front();
        return f(v);
    }
    bool Klavesnice(std::string& text, const std::string& prompt, int maxDelka, bool maskovat,
                    bool cislice, bool pismena) override {
        prompty.push_back(prompt);
        EXPECT_TRUE(!maskovat && cislice && !pismena && maxDelka == 8);
        if (priKlavesnici) {
            priKlavesnici();
        }
        if (!klavesnice) {
            return false;
        }
        text = *klavesnice;
        return true;
    }
    int InfoForma(const std::string& r1, const std::string& r2, bool ne, int sekundy,
                  ICekani* cekani) override {
        infos.push_back({r1, r2, ne, sekundy});
        if (sekundy == 0) {
            int v = ne ? otazky.front() : VysledekOK;
            if (ne) {
                otazky.pop_front();
            }
            return v;
        }
        InfoForma::TInfoFormaModel m;
        m.Nastav(r1, r2, ne, sekundy);
        for (int t = 1;; ++t) {
            clock.Advance(100);
            if (t % 5 == 0 && cekani != nullptr) {
                Zachyt();
                if (ravlinBezi) {
                    ravlin.Poll();
                }
                cekani->Dotaz();
            }
            if (t % 2 == 0 && m.Tick(cekani != nullptr ? cekani->Odpoved() : 0)) {
                return m.Vysledek();
            }
        }
    }
    // Keeps every request file as it lies before the double takes it.
    void Zachyt() {
        for (const fs::path& p : platform::ListByMask(sam_, "P*.poz")) {
            const std::string text = platform::Cp1250ToUtf8(testsupport::ReadBytes(p));
            if (pozadavky.empty() || pozadavky.back() != text) {
                pozadavky.push_back(text);
            }
            if (text.find("#SAM#WRITE#") != std::string::npos) {
                ravlin.refuse = rezim == Ravlin::Odmitne ? "Prezentace je uzavřena" : "";
                ravlin.silent = rezim == Ravlin::Mlci;
                ravlin.headerOnly = rezim == Ravlin::JenHlavicka;
                ravlin.otherRunner = rezim == Ravlin::JinyZavodnik;
                ravlin.unchanged = rezim == Ravlin::BezZmeny;
            }
        }
    }
    // The request lines after the header line of the n-th request.
    std::vector<std::string> Radky(size_t n) const {
        std::vector<std::string> out;
        const std::string& t = pozadavky.at(n);
        for (size_t a = t.find("\r\n") + 2; a < t.size();) {
            const size_t b = t.find("\r\n", a);
            out.push_back(t.substr(a, b - a));
            a = b + 2;
        }
        return out;
    }

    ravlin::RavlinSam& ravlin;
    platform::FakeClock& clock;
    Ravlin rezim = Ravlin::Prijme;
    bool ravlinBezi = true;
    std::deque<std::function<std::string(const TVolba&)>> vyber;
    std::optional<std::string> klavesnice;
    std::function<void()> priKlavesnici;
    std::deque<int> otazky;
    std::vector<TVolba> volby;
    std::vector<Info> infos;
    std::vector<std::string> prompty;
    std::vector<std::string> pozadavky;

private:
    fs::path sam_;
};

std::function<std::string(const TVolba&)> Klic(std::string k) {
    return [k](const TVolba&) { return k; };
}

ravlin::Runner Bezec(int id, const char* kat, const char* jmeno, int si, const char* klub,
                     double start, int stav = 0) {
    ravlin::Runner r;
    r.id = id;
    r.category = kat;
    r.name = jmeno;
    r.si = si;
    r.club = klub;
    r.regnum = *klub ? "01" + std::to_string(id).insert(0, 2 - std::to_string(id).size(), '0') : "";
    r.start = start;
    r.state = stav;
    if (stav == 1) {
        r.result = 50.12;
    }
    return r;
}

class Desk : public kiosktest::KioskTest {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        fs::remove_all(sam);
        fs::create_directories(sam);
        ravlin.refuse.clear();
        ravlin.silent = false;
        ravlin.headerOnly = ravlin.otherRunner = ravlin.unchanged = false;
        ravlin.delayMs = 0;
        SI_Typ::Start00 = 10.00;
        SISam_Typ::Param.Uroven = {0, 2, 2, 2, 2, 0};
        ravlin.categories = {{"H21", 1, 5.1, 120, 14, {}}, {"D21", 0, 3.2, 80, 9, {}}};
        ravlin.runners = {Bezec(1, "H21", "NOVÁK Jan", 1001, "ABC", 10.00),
                          Bezec(2, "H21", "DVOŘÁK Petr", 1002, "XYZ", 11.00),
                          Bezec(3, "H21", "", 0, "", 12.00, 2),
                          Bezec(4, "H21", "ČERNÝ Ivo", 1004, "ABC", 13.00, 1),
                          Bezec(5, "H21", "", 0, "", 14.00, 2),
                          Bezec(6, "H21", "", 0, "", 15.00, 2),
                          Bezec(7, "H21", "HORÁK Jiří", 1007, "XYZ", 16.00),
                          Bezec(8, "D21", "NOVÁKOVÁ Eva", 1008, "ABC", 10.30),
                          Bezec(9, "D21", "", 0, "", 11.30, 2)};
        ASSERT_TRUE(ravlin.ExportCategories() && ravlin.ExportRunners());
        written = true;
        Poll("*.csv");
        ASSERT_EQ(SISam_Proc::MaxID, 9);
        for (int i = 0; i < 20; ++i) {
            pocitac.guidy.push_back("{0000000" + std::to_string(i) + "-AAAA}");
        }
        odpocet = {};
        resetu = 0;
        zaneprazdnen = 0;
        skript = std::make_unique<Skript>(ravlin, clock, sam);
        desk = std::make_unique<TPrezentace>(Kontext());
        PrihlaseniLogic::Prihlas(1001, 0);
        ASSERT_EQ(SISam_Typ::Prihlaseni.Uroven, SISam_Typ::UrovenZavodnik);
    }
    TKontext Kontext() {
        TKontext k;
        k.dialogy = skript.get();
        k.ResetOdpoctu = [this] {
            ++resetu;
            odpocet.Reset();
        };
        k.Dialog = [this](bool d) { odpocet.Dialog(d); };
        k.Zaneprazdnen = [this](bool z) { zaneprazdnen += z ? 1 : -1; };
        k.timeout = 0; // kept at 10 s
        return k;
    }
    // Protokol.txt's lines of one level's texts (the text after the fourth ';').
    std::vector<std::string> Log() {
        std::vector<std::string> out;
        const std::string t = platform::Cp1250ToUtf8(testsupport::ReadBytes("Protokol.txt"));
        for (size_t a = 0; a < t.size();) {
            const size_t b = t.find("\r\n", a);
            std::string radek = t.substr(a, b - a);
            for (int i = 0; i < 4; ++i) {
                radek.erase(0, radek.find(';') + 1);
            }
            out.push_back(radek);
            a = b + 2;
        }
        return out;
    }
    std::vector<std::string> Log12() {
        std::vector<std::string> out;
        for (const std::string& l : Log()) {
            if (l.starts_with("Prohození") || l.starts_with("Změna") ||
                l.starts_with("Odhlášení") || l.starts_with("Pozdni")) {
                out.push_back(l);
            }
        }
        return out;
    }

    ravlin::RavlinSam ravlin{tmp.Path(), clock};
    std::unique_ptr<Skript> skript;
    PrihlaseniLogic::TOdpocet odpocet;
    int resetu = 0;
    int zaneprazdnen = 0;
    std::unique_ptr<TPrezentace> desk;
};

const char* const kRadek1 = "1;H21;NOVÁK Jan;1001;ABC;0101;10.00;";

struct Pripad {
    const char* nazev;
    std::function<void(Skript&)> skript;
    std::function<void(TPrezentace&)> akce;
    std::vector<std::string> radky; // of the WRITE request
    std::string log12;
    std::string prijato; // the two lines of the message after an accepted change
    std::string odmitnuto;
};

TEST_F(Desk, EveryChangeAcceptedRefusedTimedOutOrAnsweredWithoutIt) {
    const std::vector<Pripad> pripady = {
        {"swap",
         [](Skript& s) {
             s.vyber = {Klic("2"), Klic("1"), [](const TVolba& v) {
                            // Partners of the club include one who has finished.
                            EXPECT_EQ(v.titulek, "H21 ABC0101 NOVÁK Jan - start = 10.00");
                            EXPECT_EQ(v.polozky.size(), 1u);
                            EXPECT_EQ(v.polozky[0].popis, "ABC0104 ČERNÝ Ivo  - start = 13.00");
                            return std::string("4");
                        }};
         },
         [](TPrezentace& d) { d.ProhoditStart(100, 200); },
         {kRadek1, "4;H21;ČERNÝ Ivo;1004;ABC;0104;13.00;"},
         "Prohození časů;ID=1;Jmeno=NOVÁK Jan;10.00 --> 13.00;ID=4;Jmeno=ČERNÝ Ivo;13.00 --> "
         "10.00",
         "Startovní časy byly úspěšně prohozeny|013 = 10:13:00 : NOVÁK Jan\r\n010 = 10:10:00 : "
         "ČERNÝ Ivo",
         "Startovní časy nebylo možno prohodit !!"},
        {"change start",
         [](Skript& s) {
             s.vyber = {Klic("1"), [](const TVolba& v) {
                            // Slot 3 lies before and slot 5 after a club mate.
                            EXPECT_EQ(v.polozky.size(), 1u);
                            EXPECT_EQ(v.polozky[0].popis, "015 = 10:15:00");
                            return std::string("6");
                        }};
         },
         [](TPrezentace& d) { d.ZmenitStart(); },
         {kRadek1, "6;H21;;0;;;15.00;"},
         "Změna startu;ID=1;Jmeno=NOVÁK Jan;10.00 --> 15.00",
         "Startovní čas byl úspěšně změněn| ... nový startovní čas závodníka NOVÁK Jan je 015 = "
         "10:15:00",
         "Startovní čas nebylo možno změnit !!"},
        {"withdraw",
         [](Skript& s) {
             s.vyber = {[](const TVolba& v) {
                 // The finished club mate is not offered; the category without start changes is.
                 EXPECT_EQ(v.polozky.size(), 2u);
                 EXPECT_EQ(v.polozky[1].popis, "NOVÁKOVÁ Eva (D21) SI = 1008");
                 return std::string("8");
             }};
             s.otazky = {VysledekOK};
         },
         [](TPrezentace& d) { d.Odhlasit(); },
         {"8;D21;NOVÁKOVÁ Eva;1008;ABC;0108;10.30;"},
         "Odhlášení;ID=8;Jmeno=NOVÁKOVÁ Eva;D21 NOVÁKOVÁ Eva ABC0108, start = 10.30, SI = 1008",
         "Závodník NOVÁKOVÁ Eva byl odhlášen|",
         "NOVÁKOVÁ Eva - závodník nelze odhlásit !!"},
        {"SI card",
         [](Skript& s) {
             s.vyber = {Klic("1")};
             s.klavesnice = "1002";
             s.otazky = {VysledekOK};
         },
         [](TPrezentace& d) { d.ZmenitCip(); },
         {kRadek1, "1;H21;NOVÁK Jan;1002;ABC;0101;10.00;"},
         "Změna čipu ;ID=1;Jmeno=NOVÁK Jan;1001 --> 1002",
         "SI čip byl úspěšně změněn| ... nové číslo čipu pro závodníka NOVÁK Jan je 1002",
         "Číslo čipu nebylo možno změnit !!"},
    };
    for (const Pripad& p : pripady) {
        for (Ravlin rezim : {Ravlin::Prijme, Ravlin::Odmitne, Ravlin::Mlci, Ravlin::JenHlavicka,
                             Ravlin::JinyZavodnik, Ravlin::BezZmeny}) {
            SCOPED_TRACE(std::string(p.nazev) + " " + std::to_string(int(rezim)));
            TearDown();
            fs::remove("Protokol.txt");
            SetUp();
            skript->rezim = rezim;
            p.skript(*skript);
            const auto pred = SISam_Proc::Zavodnici;
            p.akce(*desk);
            EXPECT_TRUE(skript->vyber.empty() && skript->otazky.empty());
            ASSERT_FALSE(skript->pozadavky.empty());
            EXPECT_NE(skript->pozadavky.front().find("#SAM#READ#ZAVODNIK#"), std::string::npos);
            const std::string& zapis = skript->pozadavky.back();
            EXPECT_TRUE(zapis.starts_with("#SAM#WRITE#")) << zapis;
            EXPECT_EQ(skript->Radky(skript->pozadavky.size() - 1), p.radky);
            const Skript::Info& posledni = skript->infos.back();
            if (rezim == Ravlin::Prijme) {
                EXPECT_EQ(Log12(), std::vector<std::string>{p.log12});
                EXPECT_EQ(posledni.r1 + "|" + posledni.r2, p.prijato);
            } else if (rezim == Ravlin::Odmitne) {
                EXPECT_TRUE(Log12().empty());
                EXPECT_EQ(posledni.r1, p.odmitnuto);
                EXPECT_EQ(posledni.r2, "Prezentace je uzavřena");
                EXPECT_EQ(SISam_Proc::Zavodnici, pred);
            } else if (rezim != Ravlin::Mlci) {
                // No success told or logged, nothing applied: the answer's end is undefined.
                EXPECT_TRUE(Log12().empty());
                EXPECT_EQ(Log().back(), "Pozadavek - nedefinovaný výsledek");
                EXPECT_EQ(SISam_Proc::Zavodnici, pred);
            } else {
                EXPECT_TRUE(Log12().empty());
                EXPECT_EQ(posledni.r1, "... nepodařilo se kontaktovat prezentaci ...");
                EXPECT_EQ(posledni.sekundy, 5);
                std::string timeout = "Pozadavek TimeOut : TypPozadavku=" +
                                      zapis.substr(11, zapis.find('#', 11) - 11) +
                                      ", Z1=" + p.radky[0];
                if (p.radky.size() == 2 && zapis.find("ChangeTime") != std::string::npos) {
                    timeout += ", Z2=" + p.radky[1];
                }
                const auto log = Log();
                EXPECT_NE(std::find(log.begin(), log.end(), timeout), log.end()) << timeout;
                EXPECT_EQ(SISam_Proc::Zavodnici, pred);
            }
            // Every dialog paused the countdown and let it go again; the look-up waited.
            EXPECT_FALSE(odpocet.Pozastaven());
            EXPECT_EQ(zaneprazdnen, 0);
            EXPECT_GT(resetu, 3);
        }
    }
}

TEST_F(Desk, ATimedOutRequestIsWithdrawnOrItsLateAnswerApplied) {
    // Ravlin never looks: the request still lying in the folder is deleted.
    skript->ravlinBezi = false;
    skript->vyber = {Klic("1")};
    skript->klavesnice = "555";
    EXPECT_EQ(desk->ZpracujDotaz("x", "ZAVODNIK", "ABC", "ODDIL"), VysledekTimeout);
    EXPECT_TRUE(platform::ListByMask(sam, "*.poz").empty());
    const auto log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "Pozadavek TimeOut : Data=ZAVODNIK, Filter=ODDIL, Hodnota=ABC"),
              log.end());

    // Ravlin takes the request and answers after the time-out: the answer is kept through the
    // next request's polling and applied when the main form looks again.
    skript->ravlinBezi = true;
    ravlin.delayMs = 12000;
    const auto r = SISam_Proc::Zavodnici[0];
    auto n = r;
    n.SI = 555;
    EXPECT_EQ(desk->ZpracujPozadavek("x", "ChangeSIcard", n, r), VysledekTimeout);
    ravlin.delayMs = 0;
    EXPECT_EQ(desk->ZpracujDotaz("x", "ZAVODNIK", "XYZ", "ODDIL"), VysledekOK);
    EXPECT_EQ(platform::ListByMask(sam, "*.odp").size(), 1u);
    desk->ZpracujPozdniOdpovedi();
    desk->ZpracujPozdniOdpovedi();
    EXPECT_EQ(SISam_Proc::Zavodnici[0].SI, 555);
    EXPECT_TRUE(platform::ListByMask(sam, "*.odp").empty());
    ASSERT_EQ(Log12().size(), 1u);
    EXPECT_TRUE(Log12()[0].starts_with("Pozdni odpoved - O.K. : TypPozadavku=ChangeSIcard"));

    // A late answer without the change is no success either: nothing applied, an error logged.
    ravlin.delayMs = 12000;
    skript->rezim = Ravlin::JenHlavicka;
    EXPECT_EQ(desk->ZpracujPozadavek("x", "ChangeSIcard", r, n), VysledekTimeout);
    clock.Advance(12000);
    ravlin.Poll();
    desk->ZpracujPozdniOdpovedi();
    clock.Advance(platform::StableFileCheck::kQuietMs);
    desk->ZpracujPozdniOdpovedi();
    EXPECT_EQ(SISam_Proc::Zavodnici[0].SI, 555);
    ASSERT_EQ(Log12().size(), 2u);
    EXPECT_TRUE(Log12()[1].starts_with("Pozdni odpoved - nedefinovaný výsledek : ")) << Log12()[1];
}

TEST_F(Desk, EdgeCasesOfTheFlows) {
    // A user logged out while the keyboard was up (it paused the countdown) sends nothing.
    skript->vyber = {Klic("1")};
    skript->klavesnice = "777";
    skript->priKlavesnici = [this] {
        EXPECT_TRUE(odpocet.Pozastaven());
        PrihlaseniLogic::Odhlas();
    };
    desk->ZmenitCip();
    EXPECT_EQ(skript->pozadavky.size(), 1u); // the club refresh only
    EXPECT_EQ(skript->prompty, std::vector<std::string>{"Zadej nový čip pro : NOVÁK Jan"});

    // The same number changes nothing; 0 skips the duplicate check and is sent.
    PrihlaseniLogic::Prihlas(1001, 0);
    skript->priKlavesnici = nullptr;
    skript->vyber = {Klic("1")};
    skript->klavesnice = "1001";
    desk->ZmenitCip();
    EXPECT_EQ(skript->infos.back().r1, "Bylo zadáno stejné číslo čipu");
    EXPECT_EQ(skript->infos.back().sekundy, 5);
    skript->vyber = {Klic("1")};
    skript->klavesnice = "0";
    desk->ZmenitCip();
    EXPECT_EQ(SISam_Proc::Zavodnici[0].SI, 0);
    EXPECT_EQ(skript->infos.back().r2, " ... nové číslo čipu pro závodníka NOVÁK Jan je 0");

    // A finished runner is offered no own entry; a club with no one to change says so.
    PrihlaseniLogic::Prihlas(1004, 0);
    SISam_Typ::Param.Uroven[SISam_Typ::AkceZamenaCasu] = 0;
    skript->vyber = {};
    skript->infos.clear();
    desk->ProhoditStart();
    ASSERT_EQ(skript->infos.size(), 2u);
    EXPECT_EQ(skript->infos[1].r1, "V klubu ABC nebyl nalezen ani jeden závodník, kterému je "
                                   "možno změnit čas");
    EXPECT_EQ(skript->infos[1].r2, "... zkuste to prosím přímo na prezentaci ...");

    // The own-or-other chooser stands 50 px right of the button, 18 px a character wide.
    PrihlaseniLogic::Prihlas(1007, 0);
    skript->vyber = {Klic("")};
    desk->ZmenitStart(300, 120);
    const TVolba& v2 = skript->volby.back();
    EXPECT_EQ(v2.poloha, std::make_pair(350, 120));
    EXPECT_EQ(v2.sirka, 18 * 29); // "Změnit čas jiného člena klubu"
    EXPECT_EQ(v2.vyska, 60);

    // An administrator who cancels the club choice does not enter the desk->
    PrihlaseniLogic::Prihlas(4242, 4242);
    skript->vyber = {Klic("")};
    EXPECT_FALSE(desk->Vstup());
    skript->vyber = {Klic("XYZ")};
    EXPECT_TRUE(desk->Vstup());
    EXPECT_EQ(SISam_Proc::KlubUzivatele(), "XYZ");
    EXPECT_EQ(skript->volby.back().polozky.size(), 2u);
}

// The administrator logged in with a runner's card acts in every flow for the club he chose on
// entering the desk: its refresh, its members, no own-entry choice.
TEST_F(Desk, TheClubChosenByTheAdministratorWinsOverHisRunnersClub) {
    for (auto flow : {&TPrezentace::Odhlasit, &TPrezentace::ZmenitCip}) {
        PrihlaseniLogic::Prihlas(1001, 1001); // NOVÁK Jan of ABC, also the administrator's card
        skript->vyber = {Klic("XYZ")};
        ASSERT_TRUE(desk->Vstup());
        skript->pozadavky.clear();
        skript->vyber = {Klic("")};
        skript->volby.clear();
        (desk.get()->*flow)();
        ASSERT_EQ(skript->pozadavky.size(), 1u);
        EXPECT_NE(skript->pozadavky[0].find("#SAM#READ#ZAVODNIK#ODDIL#XYZ#"), std::string::npos);
        ASSERT_EQ(skript->volby.size(), 1u); // the member chooser only
        ASSERT_EQ(skript->volby[0].polozky.size(), 2u);
        EXPECT_EQ(skript->volby[0].polozky[1].klic, "7");
    }
}

TEST(DeskTexts, TimesStartsAndVacantSlots) {
    EXPECT_EQ(SumMinSecText(12.29, 10.00), "10:12:29");
    EXPECT_EQ(SumMinSecText(12.30, 9.57), "10:09:30");
    EXPECT_EQ(SumMinSecText(125.05, 23.30), "25:35:05");
    EXPECT_EQ(SumMinSecText(0.07, 10.59), "10:59:07");
    EXPECT_EQ(StartText(12.30, 10.00), "012 = 10:12:30");
    EXPECT_EQ(TimeValueText(12.30), "12.30");
    EXPECT_EQ(TimeValueText(2.299999), " 2.30");
    EXPECT_EQ(TimeValueText(2.3, false, true), " 2.30 DISK");
    EXPECT_EQ(TimeValueText(12.345, true), "  12.34,5");
    EXPECT_EQ(PlatnyTimeout(0), 10);
    EXPECT_EQ(PlatnyTimeout(25), 25);
    EXPECT_EQ(PlatnyTimeout(99), 40);

    // R of club ABC at 10.00; vacant slots around him and his club mate (M, 13.00).
    const auto z = [](int id, const char* klub, double start, int stav = 0) {
        TRadek r;
        r.zavodnik.ID = id;
        r.zavodnik.Oddil = klub;
        r.zavodnik.Start = start;
        r.zavodnik.Stav = static_cast<int16_t>(stav);
        return r;
    };
    const std::vector<TRadek> seznam = {z(1, "ABC", 10),   z(2, "", 11, 2), z(3, "XYZ", 12),
                                        z(4, "", 12.3, 2), z(5, "ABC", 13), z(6, "", 14, 2),
                                        z(7, "", 20, 2),   z(8, "", 21, 2)};
    SISam_Proc::PosledniStart = 13;
    std::vector<int32_t> ids;
    for (const auto& v : VolneStarty(seznam, seznam[0].zavodnik)) {
        ids.push_back(v.ID);
    }
    // 2 follows R himself; 4 and 6 touch the club mate; 7 and 8 lie after the latest start.
    EXPECT_EQ(ids, std::vector<int32_t>{2});
    const std::vector<TRadek> pozde = {z(1, "ABC", 10), z(3, "XYZ", 11), z(7, "", 20, 2),
                                       z(8, "", 21, 2)};
    // The first slot offered may lie after the latest start, the following ones may not.
    ids.clear();
    for (const auto& v : VolneStarty(pozde, pozde[0].zavodnik)) {
        ids.push_back(v.ID);
    }
    EXPECT_EQ(ids, std::vector<int32_t>{7});
    SISam_Proc::PosledniStart = 0;
}

} // namespace
