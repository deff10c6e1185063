#pragma once

// The backup memory of an SI control station as a punch list: the 6-byte records read from the
// station, the list a port collects them in, and the text file the list is written to.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One punch of the backup memory.
struct TReadBackup1 {
    int32_t cardNumber = 0;
    std::string punchTime; // "hh:mm:ss"

    bool operator==(const TReadBackup1&) const = default;
};

// The punches read from one station, owned by its port.
class TBackup {
public:
    void Clear() { items_.clear(); }
    void Add(TReadBackup1 punch) { items_.push_back(std::move(punch)); }
    // By punch-time text, ascending; punches of the same second keep the order they were read in.
    void Sort();
    size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    const std::vector<TReadBackup1>& Items() const { return items_; }

private:
    std::vector<TReadBackup1> items_;
};

namespace SI_Backup {

// A backup record on the wire: series, unused, time low, time high, number low, number high.
inline constexpr size_t RecordSize = 6;

TReadBackup1 DecodeRecord(const uint8_t* record);

// The list file's text: per punch the card number right-aligned in 6 characters, a blank and
// the time, each line ended by CR LF.
std::string ListText(const TBackup& list);

// <folder>/SI_<control>.bck for the control number (trimmed); empty when there is no number.
std::string ListFileName(std::string_view folder, std::string_view control);

// True for a list file name that carries no control number ("SI_.bck"): nothing is written
// under such a name.
bool LacksControlNumber(const std::filesystem::path& file);

// Creates or replaces the file with the list. False, with the reason, when it cannot.
bool WriteList(const std::filesystem::path& file, const TBackup& list, std::string* error);

// Runs the control-number dialog before the list is written; the dialog leaves the chosen file
// in SI_Typ::SouborKontroly, or empties it when cancelled. Set by the main window.
extern std::function<void()> ControlNumberDialog;

} // namespace SI_Backup
