#pragma once

// Punch records of PC Auto mode: the 12-byte record of the punch files, the files a punch is
// appended to under the race's Data_Kom folder, and the race's punch queue.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// One punch as the punch files hold it: 12 bytes, little-endian.
struct TPunchRec {
    static constexpr size_t Size = 12;

    uint16_t stationCode = 0;
    int32_t cardNumber = 0;
    uint8_t recordByte = 0; // copied from the station's record unchanged
    uint8_t timeHigh = 0;
    uint8_t timeLow = 0;
    uint8_t subSecond = 0;

    std::array<uint8_t, Size> ToBytes() const;
    static TPunchRec FromBytes(const uint8_t* bytes);
    bool operator==(const TPunchRec&) const = default;
};

namespace SI_Punch {

// The race's punch queue: punches waiting to be processed, and the punches of controls 1..30
// for the information board. The chip reader has no consumer; a host that has one puts it in.
class IPunchQueue {
public:
    virtual ~IPunchQueue() = default;
    virtual void AddNezprac(const TPunchRec& punch) = 0;
    virtual void AddTabule(int32_t cardNumber) = 0;
};

// nullptr (the default) queues nothing. The caller keeps ownership.
void SetPunchQueue(IPunchQueue* queue);
void AddNezprac(const TPunchRec& punch);

// Folder of the punch files, with a trailing '/': SI_Typ::RaceDataKomPath() unless a test has
// put in its own.
std::string PunchFolder();
extern std::function<std::string()> PunchFolderOverride;

// MezE<stage>.dat for 0, MezE<stage>_c<i>.dat for the copies.
std::string PunchFileName(int i);
// The names, in the folder, of every file the punch goes into.
std::vector<std::string> PunchFiles(const TPunchRec& punch);

// Appends the record to the file, creating it when missing. A write that fails half-way is cut
// back off, so the file stays a whole number of records; a record torn before is cut off first
// (said in mended). False with the reason on failure.
bool AppendPunchRec(const std::filesystem::path& file, const TPunchRec& punch, std::string* error,
                    std::string* mended = nullptr);

// Appends the punch to every punch file (creating the race folder when missing) and queues it
// for the information board. False when any append failed; error names the files and reasons;
// mended names the files whose torn last record was cut off.
bool SavePunch(const TPunchRec& punch, std::string* error, std::string* mended = nullptr);

} // namespace SI_Punch
