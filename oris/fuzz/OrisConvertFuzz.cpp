// Downloaded documents are outside input: every converter must take any bytes, and whatever it
// writes must keep its record structure (no text may add a line or a field).
#include "OrisConvert.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Method {
    const char* name;
    int fields; // ';' per line; -1 for lines of key=value (a ';' in a value is kept), -2 for a
                // variable tail
};

constexpr Method kMethods[] = {
    {"getCSOSClubList", 4},        {"getClub", 17},         {"getUserEventEntries", 15},
    {"getEventResults", 8},        {"getEventList", 11},    {"getRegistration", 11},
    {"getEventServiceEntries", 9}, {"getEventBalance", 8},  {"getEvent", -1},
    {"getEvent_KATEG", 6},         {"getEventEntries", -2},
};

void Convert(const std::string& xml, const Method& m) {
    QZ_ORIS::TPozadavekOris poz;
    poz.method = m.name;
    poz.Param = "ab;c\r\n";
    std::string out;
    QZ_ORIS::PrevedXmlText(xml, poz, out);
    int lines = 0;
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = out.find("\r\n", start);
        Check(end != std::string::npos);
        const std::string line = out.substr(start, end - start);
        Check(line.find_first_of("\r\n") == std::string::npos);
        const auto semicolons = std::count(line.begin(), line.end(), ';');
        if (m.fields >= 0) {
            Check(semicolons == m.fields);
        } else if (m.fields == -2) {
            Check(semicolons >= 15 && semicolons <= 23);
        }
        ++lines;
        start = end + 2;
    }
    Check(m.fields == -1 ? poz.records <= 1 : lines == poz.records);
}

// Reads the bytes as steps that build a well-formed document from the element names and the
// awkward texts the converters meet, so the fuzzer reaches deep into the records quickly.
std::string Built(const uint8_t* data, size_t size) {
    static const char* const names[] = {
        "Data",   "Clubs",      "Classes",    "Stages",    "Entry",      "ID",
        "Name",   "Note",       "Fee",        "ManualFee", "NoExtraFee", "ManualFeeEntryDate2",
        "Legs",   "EntryKoef2", "EntryKoef3", "Org1",      "Abbr",       "Region",
        "Code",   "Service",    "Director",   "FirstName", "LastName",   "Stage1",
        "Stage3", "SW",         "Email",      "Class",     "Club",       "ClubID"};
    static const char* const texts[] = {
        "1",    "12.5", "50,0",  " 7", "a;b",    "\r\n",  "&#13;", "&#10;", "<![CDATA[x;\ny]]>",
        "Žďár", "-3",   "1e400", "+4", "150.50", "&amp;;"};
    constexpr size_t kNames = sizeof names / sizeof names[0];
    constexpr size_t kTexts = sizeof texts / sizeof texts[0];
    std::string xml = "<ORIS>";
    std::vector<const char*> open;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        switch (b % 4) {
        case 0:
            if (open.size() < 30) {
                open.push_back(names[(b / 4) % kNames]);
                xml += std::string("<") + open.back() + ">";
            }
            break;
        case 1:
            if (!open.empty()) {
                xml += std::string("</") + open.back() + ">";
                open.pop_back();
            }
            break;
        case 2:
            xml += texts[(b / 4) % kTexts];
            break;
        default:
            xml += std::string("<") + names[(b / 4) % kNames] + "/>";
            break;
        }
    }
    while (!open.empty()) {
        xml += std::string("</") + open.back() + ">";
        open.pop_back();
    }
    return xml + "</ORIS>";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string built = Built(data, size);
    for (const Method& m : kMethods) {
        Convert(bytes, m);
        Convert(built, m);
    }
    return 0;
}
