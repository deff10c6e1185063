#pragma once

// The commentator's inputs joined to its race: the nine input sources feed the race model,
// the timer parsers look relay runners up in it, and the competitor source loads it. The main
// form owns one TKomentator and calls it from its timers and menu commands:
//
//   Timer1 (200 ms)           PollSources200ms()
//   Timer_Kresli (1 s)        ProcessPunches1s(), then TakePrekreslitInfoAll() and the events
//   TimerNacitani             PollCompetitors()  (reload, replay, timer-file copies, new grid)
//   read-data command         PollCompetitors()
//   start-up                  ReadSettings(), ReloadCompetitors()
//   reconstruction / new race Reconstruct()
//   settings changed          WriteSettings()

#include "KomentRozhrani.h"
#include "Mezicasy.h"
#include "VstupniSoubor.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace Koment {

class TKomentator {
public:
    TKomentator();
    TKomentator(const TKomentator&) = delete;
    TKomentator& operator=(const TKomentator&) = delete;

    // The form's side (any may be null): status line, event grid, category windows' settings.
    void Napoj(Mezicasy::IStavovyRadek* stav, Mezicasy::IMrizkaUdalosti* mrizka,
               Mezicasy::IKategIni* kategIni);

    Mezicasy::TZavod& Zavod() { return zavod_; }
    TVstupniSoubory& Zdroje() { return zdroje_; }

    // The race's data folder (copies, ExtFile, ZavE, MezE); empty = SI_Typ::RaceDataKomPath().
    void NastavSlozku(const std::string& folder);
    std::string Slozka() const;

    // Section "Soubory" of Hlasvel.ini.
    void ReadSettings(platform::IniFile& ini);
    void WriteSettings(platform::IniFile& ini);

    // Reads what was appended to sources 2..8; loads a new export once it stood still.
    void PollSources200ms();
    // Turns the punches read into splits, events, copies and info-board lines.
    void ProcessPunches1s();
    // The read-interval poll: reloads the competitors and replays the own copy against them,
    // refreshes the local copies of the timer files and asks for a new grid.
    void PollCompetitors();
    // Reloads the competitors and replays the own copy (start-up).
    void ReloadCompetitors();
    // Reads the own split copy from where it was left (from its start after a reload).
    void ReplayLocalCopy();
    // Deletes the own copy and reads every source again from its start.
    void Reconstruct();

    // True once after something asked for the event grid to be built anew.
    bool TakePrekreslitInfoAll();
    // The seven source-status texts, slots 1..7.
    const std::array<std::string, 8>& StavZdroju() const { return napojeni_.StavZdroju; }
    // Competitors of the last load.
    int32_t PocetZavodniku() const { return pocetZavodniku_; }

private:
    std::string MezE() const;
    void NactiZavod();
    // True once the race and stage now set have been loaded (or no competitor source is on):
    // until then punches wait.
    bool ZavodNacten();
    void Zprava(const std::string& text);

    Mezicasy::TZavod zavod_;
    TVstupniNapojeni napojeni_;
    TVstupniSoubory zdroje_;
    Mezicasy::IStavovyRadek* stav_ = nullptr;
    Mezicasy::IKategIni* kategIni_ = nullptr;
    std::string slozka_;
    bool prekreslit_ = false;
    int32_t pocetZavodniku_ = 0;
    // The race and stage of the last load; none before the first.
    std::optional<std::pair<uint16_t, uint16_t>> nacteny_;
};

} // namespace Koment
