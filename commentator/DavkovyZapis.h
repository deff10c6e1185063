#pragma once

#include <string>
#include <string_view>
#include <vector>

// Lines the commentator appends to its text files (split copies, raw splits, info board) are
// gathered during one timer tick and written with one append per file. A file that cannot be
// written keeps its lines; they go first, in order, at the next write.
class TDavkovyZapis {
public:
    // The line as bytes, without its line end (CR LF is added). An empty line is not written.
    void Pridej(const std::string& file, std::string_view line);
    // Appends what is gathered. Returns one text per file that failed (its name and why);
    // mended gets one text per file whose tail a crash had cut and that was mended first.
    std::vector<std::string> Zapis(std::vector<std::string>* mended = nullptr);
    // Lines still waiting (gathered or kept after a failure).
    size_t Cekajicich() const;
    // Forgets what waits for one file (it is about to be written anew).
    void Zahod(const std::string& file);

private:
    struct Soubor {
        std::string name;
        std::string bytes;
        size_t lines = 0;
    };
    std::vector<Soubor> files_; // in the order of their first line
};
