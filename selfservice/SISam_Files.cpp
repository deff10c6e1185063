// The SAM exchange folder: Ravlin's exports and answers coming in, the kiosk's requests going
// out.
#include "SISam_Proc.h"

#include "Dialogs.h"
#include "QZ_CSV.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace SISam_Proc {

namespace fs = std::filesystem;
using namespace SISam_Typ;

std::optional<std::string> CasZavodniku;
std::optional<std::string> CasKategorii;
std::string StavDat;
std::set<std::string> OcekavaneOdpovedi;

namespace {

// No export or answer comes near this; a larger file is not Ravlin's.
constexpr size_t kMaxSoubor = 16u << 20;

// Every line of an export or an answer ends with CR LF: one cut mid-line is waited for.
platform::StableFileCheck g_stabilni{platform::StableFileCheck::Ends::LineEnd};
// The export read now changed since it was last taken: read whole even with the same stamp.
bool g_zmenenyExport = false;
// Files whose deletion failed and was reported; reported again only after a success.
std::set<fs::path> g_nesmazane;
// Files that could not be read and were logged as errors.
std::set<fs::path> g_necitelne;
// Why the last file could not be read.
std::string g_procNecitelny;

std::string Cislo(int64_t v) {
    return std::to_string(v);
}

std::string TedText() {
    return platform::TimeText(platform::GetClock().Now());
}

// The lines of a text, without their line ends (CR LF, LF or CR).
std::vector<std::string_view> Radky(std::string_view text) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        out.push_back(text.substr(start));
    }
    return out;
}

// An old modification time says nothing: a writer paused mid-file leaves one too.
bool Stabilni(const fs::path& soubor) {
    return g_stabilni.IsStable(soubor);
}

// Files addressed to this computer are the kiosk's to delete; with no name of its own it
// deletes nothing (an empty name would match every export).
bool NasSoubor(const THlavicka& h, const std::string& pocitac) {
    return !pocitac.empty() && h.Pocitac == pocitac;
}

void Smazat(const fs::path& soubor, bool poCteni) {
    const std::string jmeno = soubor.string();
    Protokol(LogTrace, (poCteni ? "Smazat 2 " : "Smazat ") + jmeno);
    if (const auto precteny = g_stabilni.StableLook(soubor);
        precteny && platform::LookAt(soubor) != precteny) {
        // Written anew since it was read: the next poll judges it.
        Protokol(LogTrace, "Zmenen, nesmazan " + jmeno);
        g_stabilni.Forget(soubor);
        return;
    }
    std::error_code ec;
    if (fs::remove(soubor, ec) && !ec) {
        Protokol(LogTrace, (poCteni ? "Smazano 2 " : "Smazano ") + jmeno);
        g_nesmazane.erase(soubor);
        g_stabilni.Forget(soubor);
        return;
    }
    if (!g_nesmazane.insert(soubor).second) {
        return;
    }
    if (!poCteni) {
        Protokol(LogChyba, "nelze Smazat " + jmeno);
    }
    Dialogs::Messages().Error(SI_Typ::LangText("Nepodařilo se smazat ", "Could not delete ") +
                              jmeno);
}

bool NactiSoubor(const fs::path& soubor, std::string& bytes) {
    std::string chyba;
    if (platform::ReadWholeFile(soubor, bytes, &chyba, kMaxSoubor)) {
        g_necitelne.erase(soubor);
        return true;
    }
    std::error_code ec;
    if (fs::file_size(soubor, ec) > kMaxSoubor && !ec) {
        // The kiosk's own limit, said in the kiosk's language.
        chyba = soubor.string() + SI_Typ::LangText(": větší než ", ": larger than ") +
                std::to_string(kMaxSoubor) + SI_Typ::LangText(" bajtů", " bytes");
    }
    // Tried again at every poll, written into the log once.
    Protokol(g_necitelne.insert(soubor).second ? LogChyba : LogTrace, "Nelze číst " + chyba);
    g_procNecitelny = chyba;
    return false;
}

uint64_t CasJakoCislo(int hodina, int minuta, int sekunda, int milisekunda) {
    return ((static_cast<uint64_t>(hodina) * 100 + static_cast<uint64_t>(minuta)) * 100 +
            static_cast<uint64_t>(sekunda)) *
               1000 +
           static_cast<uint64_t>(milisekunda);
}

std::string Base36(uint64_t v) {
    static constexpr char kCislice[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string s;
    do {
        s.insert(s.begin(), kCislice[v % 36]);
        v /= 36;
    } while (v > 0);
    return s;
}

// The 7 characters of a request name for a number (the right-most 7 stay).
std::string Jmeno7(uint64_t v) {
    const std::string s = Tools::PadLeft(Base36(v), 7, '0');
    return s.substr(s.size() - 7);
}

std::string CisloPozadavku(int hodina, int minuta, int sekunda, int milisekunda) {
    return Jmeno7(CasJakoCislo(hodina, minuta, sekunda, milisekunda));
}

} // namespace

std::string JmenoZHostname(std::string_view hostname) {
    const std::string_view name = hostname.substr(0, hostname.find('.'));
    return std::string(name.substr(0, 15));
}

fs::path SlozkaSAM() {
    const std::string_view cesta = Tools::Trim(Param.RavlinPath);
    if (cesta.empty()) {
        return {};
    }
    return platform::ResolveNoCase(platform::FromWindowsPath(cesta) /
                                   ("Z" + Tools::RaceNumberText()) / "SAM");
}

bool RadekToHlavickaSouboru(std::string_view line, THlavicka& h) {
    QZ_CSV::Fields f;
    QZ_CSV::SplitFields(line, '#', f);
    if (f[1] != "SAM") {
        Protokol(LogTrace, "RadekToHlavickaSouboru > " + std::string(line));
        return false;
    }
    h.Smer = Orez(f[2], 20);
    h.Typ = Orez(f[3], 20);
    h.Param = Orez(f[4], 100);
    h.Param2 = Orez(f[5], 100);
    h.Pocitac = Orez(f[6], 100);
    h.Cas = Orez(f[7], 8);
    h.Guid = Orez(f[8], 50);
    return true;
}

bool ZpracujHlavicku(const fs::path& soubor, THlavicka& h) {
    const auto chyba = [&soubor](int krok, int kod) {
        Protokol(LogTrace,
                 soubor.string() + " ZpracujHlavicku " + Cislo(krok) + " / ERR " + Cislo(kod));
        return false;
    };
    const int fd = ::open(soubor.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return chyba(1, errno);
    }
    // Only the first line is needed; a header is far shorter than this.
    char buf[4096];
    ssize_t n = 0;
    do {
        n = ::read(fd, buf, sizeof buf);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        const int err = errno;
        ::close(fd);
        return chyba(2, err);
    }
    if (::close(fd) != 0) {
        return chyba(3, errno);
    }
    const std::string_view bytes(buf, static_cast<size_t>(n));
    const std::string line = platform::Cp1250ToUtf8(bytes.substr(0, bytes.find_first_of("\r\n")));
    return RadekToHlavickaSouboru(line, h);
}

Cteni NactiZavodnikyText(std::string_view bytes) {
    StavDat.clear();
    const std::string text = platform::Cp1250ToUtf8(bytes);
    const std::vector<std::string_view> radky = Radky(text);
    THlavicka h;
    if (radky.empty() || !RadekToHlavickaSouboru(radky[0], h) || h.Typ != "ZAVODNIK") {
        return Cteni::Zamitnuto;
    }
    const bool cely = h.Param == "ALL";
    if (cely && CasZavodniku == h.Cas && !g_zmenenyExport) {
        StavDat = "Data Zav : Read " + TedText() + SI_Typ::LangText(" data z ", " data of ") +
                  h.Cas + SI_Typ::LangText(" beze změny ", " unchanged ");
        return Cteni::Precteno;
    }
    // The valid lines, and per slot the last line that gave it (a later line replaces).
    std::vector<TZavodnik> nove;
    nove.reserve(radky.size());
    std::vector<int32_t> slot(MaxZavodniku, -1);
    int32_t maxNove = 0;
    for (size_t i = 1; i < radky.size(); ++i) {
        TZavodnik z;
        if (RadekZavodnika(radky[i], z)) {
            maxNove = std::max(maxNove, z.ID);
            slot[static_cast<size_t>(z.ID - 1)] = static_cast<int32_t>(nove.size());
            nove.push_back(std::move(z));
        }
    }
    if (cely) {
        std::fill(Zavodnici.begin(), Zavodnici.end(), TZavodnik{});
        MaxID = 0;
        PocetZavodniku = 0;
        PocetDobehlych = 0;
        PosledniStart = 0;
        // The categories stay as Kateg.csv gave them; only their counts start again.
        for (TKategorie& k : SeznamKategorii) {
            k.Pocet = k.Dobehlo = k.Vakanty = 0;
        }
        SeznamOddilu.clear();
        CasZavodniku = h.Cas;
    }
    // Indexes for this load only: 2000 runners against hundreds of clubs.
    std::unordered_map<std::string, size_t> kategorie;
    std::unordered_set<std::string> oddily;
    if (cely) {
        for (size_t i = 0; i < SeznamKategorii.size(); ++i) {
            kategorie.emplace(SeznamKategorii[i].Nazev, i);
        }
    }
    for (int32_t i = 0; i < maxNove; ++i) {
        if (slot[static_cast<size_t>(i)] < 0) {
            continue;
        }
        TZavodnik& z = nove[static_cast<size_t>(slot[static_cast<size_t>(i)])];
        if (z.Stav != StavVakant) {
            PosledniStart = std::max(PosledniStart, z.Start);
        }
        if (cely) {
            ++PocetZavodniku;
            if (!z.Kategorie.empty()) {
                auto [it, nova] =
                    kategorie.emplace(VelkaPismena(z.Kategorie), SeznamKategorii.size());
                if (nova) {
                    SeznamKategorii.emplace_back().Nazev = it->first;
                }
                TKategorie& k = SeznamKategorii[it->second];
                ++k.Pocet;
                k.Vakanty += z.Stav == StavVakant ? 1 : 0;
                k.Dobehlo += z.Stav == StavDobehl ? 1 : 0;
            }
            PocetDobehlych += z.Stav == StavDobehl ? 1 : 0;
            if (!z.Oddil.empty()) {
                std::string kod = VelkaPismena(z.Oddil);
                if (oddily.insert(kod).second) {
                    SeznamOddilu.push_back(TOddil{std::move(kod), {}});
                }
            }
        }
        MaxID = std::max(MaxID, z.ID);
        Zavodnici[static_cast<size_t>(i)] = std::move(z);
    }
    ++VerzeDat;
    SetridKategorie();
    SetridOddily();
    StavDat = "Data Zav : Read " + TedText() + SI_Typ::LangText(" data z ", " data of ") +
              CasZavodniku.value_or("");
    return Cteni::Precteno;
}

Cteni NactiKategorieText(std::string_view bytes) {
    const std::string text = platform::Cp1250ToUtf8(bytes);
    const std::vector<std::string_view> radky = Radky(text);
    THlavicka h;
    if (radky.empty() || !RadekToHlavickaSouboru(radky[0], h) || h.Typ != "KATEG") {
        return Cteni::Zamitnuto;
    }
    if (CasKategorii == h.Cas) {
        return Cteni::Precteno;
    }
    // The maxima belong to this file: a poll that reads nothing new keeps them.
    MaxUrovenKategorie = {};
    for (size_t i = 1; i < radky.size(); ++i) {
        TKategorie nova;
        if (!RadekKategorie(radky[i], nova)) {
            continue;
        }
        TKategorie& k = DejKategorii(nova.Nazev);
        k.Zmena = nova.Zmena;
        k.Delka = nova.Delka;
        k.Prevyseni = nova.Prevyseni;
        k.Kontrol = nova.Kontrol;
        k.Uroven = nova.Uroven;
        for (int a = 1; a <= PocetAkci; ++a) {
            MaxUrovenKategorie[a] = std::max(MaxUrovenKategorie[a], nova.Uroven[a]);
        }
    }
    CasKategorii = h.Cas;
    SetridKategorie();
    return Cteni::Precteno;
}

Cteni NactiZmenuText(std::string_view bytes, std::string_view typ, std::string& chyba,
                     const TOcekavani& ocekavani) {
    const std::string text = platform::Cp1250ToUtf8(bytes);
    const std::vector<std::string_view> radky = Radky(text);
    THlavicka h;
    if (radky.empty() || !RadekToHlavickaSouboru(radky[0], h) ||
        VelkaPismena(h.Typ) != VelkaPismena(typ)) {
        return Cteni::Zamitnuto;
    }
    if (h.Param2 == "ERR") {
        if (radky.size() > 1 && radky[1].starts_with("ERR=")) {
            chyba = std::string(radky[1].substr(4));
        }
        return Cteni::Zamitnuto;
    }
    std::vector<TZavodnik> nove;
    for (size_t i = 1; i < radky.size(); ++i) {
        TZavodnik z;
        if (RadekZavodnika(radky[i], z)) {
            nove.push_back(std::move(z));
        }
    }
    // Only the runner lines tell that Ravlin made the change; without them the kiosk would show
    // the old values as the new ones.
    const auto nese = [&nove](const TOcekavanyRadek& o) {
        return std::any_of(nove.begin(), nove.end(), [&o](const TZavodnik& z) {
            return z.ID == o.ID &&
                   (!o.Start || std::llround(z.Start * 100) == std::llround(*o.Start * 100)) &&
                   (!o.SI || z.SI == *o.SI) && (!o.Stav || z.Stav == *o.Stav);
        });
    };
    if (nove.empty() || !std::all_of(ocekavani.begin(), ocekavani.end(), nese)) {
        Protokol(LogTrace, "Odpoved bez pozadovanych zmen");
        return Cteni::BezZmeny;
    }
    for (TZavodnik& z : nove) {
        MaxID = std::max(MaxID, z.ID);
        Zavodnici[static_cast<size_t>(z.ID - 1)] = std::move(z);
    }
    ++VerzeDat;
    return Cteni::Precteno;
}

Cteni NactiZavodniky(const fs::path& soubor) {
    std::string bytes;
    return NactiSoubor(soubor, bytes) ? NactiZavodnikyText(bytes) : Cteni::Nelze;
}

Cteni NactiKategorie(const fs::path& soubor) {
    std::string bytes;
    return NactiSoubor(soubor, bytes) ? NactiKategorieText(bytes) : Cteni::Nelze;
}

Cteni NactiZmenu(const fs::path& soubor, std::string_view typ, std::string& chyba,
                 const TOcekavani& ocekavani) {
    std::string bytes;
    return NactiSoubor(soubor, bytes) ? NactiZmenuText(bytes, typ, chyba, ocekavani) : Cteni::Nelze;
}

int ZpracujVstupniSoubory(std::string_view maska, std::string_view guid, std::string& chyba,
                          const TOcekavani& ocekavani) {
    const fs::path slozka = SlozkaSAM();
    const std::vector<fs::path> soubory = platform::ListByMask(slozka, maska);
    std::error_code ec;
    const int kod = !soubory.empty() ? 0
                    : fs::is_directory(slozka.empty() ? "." : slozka, ec) ? 18
                                                                          : 3;
    const std::string slozkaText =
        slozka.empty() ? "" : platform::WithTrailingSlash(slozka.string());
    Protokol(LogTrace,
             "Zpracuj vstupni soubory " + Cislo(kod) + " " + slozkaText + std::string(maska));
    const std::string pocitac = Pocitac().JmenoPocitace();
    int vysledek = VysledekNic;
    std::string odmitnute; // exports that could not be taken, with the reason
    for (const fs::path& soubor : soubory) {
        if (!Stabilni(soubor)) {
            continue; // Ravlin may still be writing it; the next poll takes it
        }
        Protokol(LogTrace, soubor.string());
        THlavicka h;
        if (!ZpracujHlavicku(soubor, h)) {
            Protokol(LogTrace, "ZpracujHlavicku=false");
            continue;
        }
        Protokol(LogTrace, "ZpracujHlavicku=true");
        if (!guid.empty()) {
            if (h.Guid.empty() || !platform::Utf8EqualNoCase(h.Guid, guid)) {
                Protokol(LogTrace, "Guid <> " + std::string(guid) + " " + h.Guid);
                if (NasSoubor(h, pocitac) && !OcekavaneOdpovedi.contains(VelkaPismena(h.Guid))) {
                    Smazat(soubor, false);
                }
                continue;
            }
            Protokol(LogTrace, "Guid OK=" + std::string(guid));
        } else {
            Protokol(LogTrace, "Guid=EMPTY");
        }
        Cteni cteni = Cteni::Precteno;
        int tento = VysledekNic;
        const std::string typ = VelkaPismena(h.Typ);
        if (h.Typ == "ZAVODNIK") {
            g_zmenenyExport = g_stabilni.IsNew(soubor);
            cteni = NactiZavodniky(soubor);
            g_zmenenyExport = false;
            tento = guid.empty() ? VysledekNic : VysledekOK;
        } else if (h.Typ == "KATEG") {
            cteni = NactiKategorie(soubor);
        } else if (typ == "CHANGETIME" || typ == "CHANGESICARD" || typ == "VAKANT") {
            if (guid.empty()) {
                continue; // an answer is applied only for the request that asked for it
            }
            const char* presne = typ == "CHANGETIME"     ? "ChangeTime"
                                 : typ == "CHANGESICARD" ? "ChangeSIcard"
                                                         : "Vakant";
            cteni = NactiZmenu(soubor, presne, chyba, ocekavani);
            tento = cteni == Cteni::Precteno   ? VysledekOK
                    : cteni == Cteni::BezZmeny ? VysledekBezZmeny
                                               : VysledekZamitnuto;
        }
        if (cteni == Cteni::Nelze) {
            if (guid.empty()) {
                odmitnute += (odmitnute.empty() ? "" : "\n") +
                             (SI_Typ::LangText("Export odmítnut ", "Export refused ") + TedText() +
                              " : " + g_procNecitelny);
            }
            continue; // kept for the next poll, neither applied nor refused
        }
        vysledek = tento;
        g_stabilni.MarkTaken(soubor);
        if (NasSoubor(h, pocitac)) {
            Smazat(soubor, true);
        }
        if (!guid.empty()) {
            Protokol(LogTrace, "EXIT " + std::string(guid));
            return vysledek;
        }
    }
    if (!odmitnute.empty()) {
        // The screen says the data were refused, not that they stayed unchanged.
        StavDat = odmitnute;
    }
    return vysledek;
}

std::string JmenoPozadavku(int hodina, int minuta, int sekunda, int milisekunda) {
    return CisloPozadavku(hodina, minuta, sekunda, milisekunda);
}

std::string ZapisPozadavek(const TPozadavek& p, std::string* chyba) {
    const auto selhal = [chyba](const std::string& proc) {
        Protokol(LogChyba, "ZapisPozadavek : " + proc);
        Dialogs::Messages().Error(
            SI_Typ::LangText("Požadavek nelze zapsat: ", "Request cannot be written: ") + proc);
        if (chyba != nullptr) {
            *chyba = proc;
        }
        return std::string();
    };
    const std::string guid = Pocitac().NovyGuid();
    if (guid.empty()) {
        return selhal(SI_Typ::LangText("nelze vytvořit GUID", "cannot create a GUID"));
    }
    const platform::WallTime ted = platform::GetClock().Now();
    const std::string pocitac = Pocitac().JmenoPocitace();
    const std::string konec = "#" + pocitac + "#" + platform::TimeText(ted) + "#" + guid + "#\r\n";
    std::string text;
    if (p.Typ == "READ") {
        text = "#SAM#READ#" + p.Data + "#" + p.Filter + "#" + p.Hodnota + konec;
    } else if (p.Typ == "ChangeTime" || p.Typ == "ChangeSIcard" || p.Typ == "Vakant") {
        text = "#SAM#WRITE#" + p.Typ + "##" + konec + p.Radek1 + "\r\n";
        if (p.Typ != "Vakant") {
            text += p.Radek2 + "\r\n";
        }
    } else {
        return selhal(SI_Typ::LangText("neznámý typ požadavku ", "unknown request type ") + p.Typ);
    }
    const std::string bytes = platform::Utf8ToCp1250(text);

    const fs::path slozka = SlozkaSAM();
    const fs::path base = slozka.empty() ? fs::path(".") : slozka;
    // Written under a name no reader's mask matches, then renamed into place without
    // replacing: a request is never seen half-written and never replaces another kiosk's of
    // the same millisecond.
    std::string proc;
    const std::optional<fs::path> tmp = platform::WriteTempFile(base / "Pozadavek", bytes, &proc);
    if (!tmp) {
        return selhal(proc);
    }
    uint64_t cislo = CasJakoCislo(ted.hour, ted.minute, ted.second, ted.millisecond);
    for (int pokus = 0; pokus < 1000; ++pokus, ++cislo) {
        const fs::path cil = base / ("P" + Jmeno7(cislo) + ".poz");
        if (platform::RenameNoReplace(*tmp, cil)) {
            return guid;
        }
        if (errno != EEXIST) {
            const int err = errno;
            ::unlink(tmp->c_str());
            return selhal(cil.string() + ": " + platform::ErrnoText(err));
        }
    }
    ::unlink(tmp->c_str());
    return selhal(base.string() +
                  SI_Typ::LangText(": žádné volné jméno požadavku", ": no free request name"));
}

void ResetFiles() {
    CasZavodniku.reset();
    CasKategorii.reset();
    StavDat.clear();
    OcekavaneOdpovedi.clear();
    g_stabilni = platform::StableFileCheck(platform::StableFileCheck::Ends::LineEnd);
    g_nesmazane.clear();
    g_necitelne.clear();
    g_procNecitelny.clear();
}

} // namespace SISam_Proc
