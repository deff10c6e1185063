#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A stand-in for the results program on the commentator's side: Hlasvel.inf in its folder, the
// competitor export of the race and the ';' split lines it appends to its Cil and Dis exports.
// Written from the file formats alone, independent of the commentator's readers.
namespace ravlin {

// The keys of Hlasvel.inf (section "Hlasvel").
struct HlasvelInf {
    std::string rok = "2026";
    int zavod = 7;
    int etapa = 1;
    std::string start00 = "10.00";
    std::string nazev = "Zkušební závod";
    std::string date = "01.06.2026";
    std::string time = "08:00:00";
    int druhZav = 0;
    int desetiny = 0;
    int sberka = 0;
    int vlKomQZPort1 = 1;
};

struct Competitor {
    std::string category;
    std::string name;
    int32_t chip = 0;
    std::string club;
    std::string bib;
    double start = -100;       // m.ss from the zero time; -100 = none
    std::vector<int> controls; // codes of points 1.., the finish as 1
};

// One punch as the results program exports it.
struct Punch {
    int32_t chip = 0;
    int code = 0;
    int secondsOfDay = 0;
    bool dis = false; // the "Dis" export, else "Cil"
};

class RavlinKoment {
public:
    explicit RavlinKoment(std::filesystem::path ravlinDir);

    HlasvelInf inf;
    std::vector<Competitor> competitors;
    std::vector<Punch> punches; // in the order they are appended

    // Two categories and a dozen runners with controls 31, 32 and the finish; their punches
    // from the zero time on, spaced so that the places differ.
    void SampleRace();
    // <ravlinDir>/Z<race4>/Koment: the exports.
    std::filesystem::path KomentDir() const;
    std::filesystem::path InfFile() const { return dir_ / "Hlasvel.inf"; }
    std::filesystem::path ExportFile() const;
    std::filesystem::path CsvFile(bool dis) const;

    // Hlasvel.inf whole; with `half`, only its first half (a file still being written).
    bool WriteInf(bool half = false);
    bool ExportCompetitors();
    // Appends the next punch line; false when none is left.
    bool AppendNext();
    size_t Appended() const { return next_; }

    // The ';' line of a punch: chip;hh:mm:ss,00;code;
    static std::string Line(const Punch& p);

private:
    std::filesystem::path dir_;
    size_t next_ = 0;
};

} // namespace ravlin
