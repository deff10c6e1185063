#pragma once

// What the port settings dialog decides, apart from the window: what it shows for a port and
// what OK applies to it and stores.

#include <string>
#include <vector>

class TSIPort;

namespace fSetPort {

// What the dialog shows when it opens.
struct TZobrazeni {
    std::string caption;
    std::vector<std::string> funkce; // ComboFunkce: the item index is the mode
    int funkceIndex = -1;            // -1: the port's mode is none the dialog offers
    std::vector<std::string> rychlosti;
    int rychlostIndex = 0;
    std::string maxTimeHint;
    std::string maxTime;
    bool infoOkno = false;
    bool checkSum = true;
    // ExportPath: where the port's files go.
    std::string exportPath;
    // The folder chooser, shown only while the output folder is the port's own (PodleRavlin
    // off); it starts at the port's Path.
    bool slozkaViditelna = true;
    std::string slozka;
};

// What the user chose.
struct THodnoty {
    int funkce = -1;
    int rychlost = 0;
    std::string maxTime;
    bool checkSum = true;
    bool infoOkno = false;
    std::string slozka;
};

// Hint of the time-out: mode 3 reads a whole control station and needs far longer.
std::string MaxTimeHint(int mode);

class TSetComLogic {
public:
    // The port the dialog edits (its tag is the COM number).
    explicit TSetComLogic(TSIPort& port) : port_(port) {}

    TZobrazeni FormActivate();
    // Applies and stores; the line is reopened for the mode and speed chosen.
    void BitBtnOkClick(const THodnoty& h);

private:
    TSIPort& port_;
    bool slozkaViditelna_ = true;
};

} // namespace fSetPort
