#include "OrisConvert.h"

#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <pugixml.hpp>

namespace QZ_ORIS {

namespace {

// An element that holds elements where a text is expected: the document is not what the
// converter knows, so it stops.
struct NotText {};

// Element path below a record: "Org1/ID" is the child ID of the child Org1.
struct Path {
    std::string first;
    std::string second; // empty for a direct child
};

Path P(std::string_view path) {
    const size_t slash = path.find('/');
    if (slash == std::string_view::npos) {
        return {std::string(path), {}};
    }
    return {std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

pugi::xml_node Find(pugi::xml_node node, const Path& path) {
    pugi::xml_node n = node.child(path.first.c_str());
    return path.second.empty() ? n : n.child(path.second.c_str());
}

// The text of an element; a missing element reads as empty.
std::string Text(pugi::xml_node element) {
    std::string text;
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
        switch (c.type()) {
        case pugi::node_pcdata:
        case pugi::node_cdata:
            text += c.value();
            break;
        case pugi::node_element:
            throw NotText{};
        default:
            break;
        }
    }
    return text;
}

std::string Text(pugi::xml_node node, const Path& path) {
    return Text(Find(node, path));
}

// No field may contain a line end or the field separator: one text would shift the fields
// of the record for the reader.
void AppendClean(std::string& out, std::string_view text, bool dropSemicolon = false) {
    for (const char c : text) {
        if (c == ';' && dropSemicolon) {
            continue;
        }
        out += (c == '\r' || c == '\n' || c == ';') ? ' ' : c;
    }
}

// What a conversion produces: whole UTF-8 lines (a line cut short by a failure is never
// written), and whether the output file is to be written at all (the single-download
// converters create it only once the document was understood).
struct Output {
    std::string text;
    std::string line;
    bool started = false;

    void Field(std::string_view s, bool dropSemicolon = false) {
        AppendClean(line, s, dropSemicolon);
        line += ';';
    }
    void EndLine() {
        text += line;
        text += "\r\n";
        line.clear();
    }
};

void FieldsLine(pugi::xml_node rec, const std::vector<Path>& fields, Output& out) {
    for (const Path& f : fields) {
        out.Field(Text(rec, f));
    }
}

std::vector<Path> Paths(std::initializer_list<const char*> names) {
    std::vector<Path> paths;
    for (const char* n : names) {
        paths.push_back(P(n));
    }
    return paths;
}

template <typename F> void ForEachElement(pugi::xml_node container, F f) {
    for (pugi::xml_node rec = container.first_child(); rec; rec = rec.next_sibling()) {
        if (rec.type() == pugi::node_element) {
            f(rec);
        }
    }
}

// A converter that writes one line of the listed fields per child element of Data.
void PlainList(pugi::xml_node data, TPozadavekOris& poz, Output& out,
               const std::vector<Path>& fields) {
    out.started = true;
    ForEachElement(data, [&](pugi::xml_node rec) {
        FieldsLine(rec, fields, out);
        out.EndLine();
        ++poz.records;
    });
}

void ClubList(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> f = Paths({"ID", "Name", "Abbr", "Region"});
    PlainList(data, poz, out, f);
}

void Club(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> head = Paths({"ID"});
    static const std::vector<Path> rest =
        Paths({"Name", "Number", "CSOSMember", "Country", "OfficialName", "OfficialStreet",
               "OfficialZIP", "OfficialCity", "BankAccount", "WWW", "Email", "Phone",
               "ContactFirstName", "ContactLastName", "Region/Code"});
    FieldsLine(data, head, out);
    out.Field(poz.Param); // the abbreviation this download asked for
    FieldsLine(data, rest, out);
    out.EndLine();
    ++poz.records;
}

void UserEntries(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> head =
        Paths({"ID", "ClassID", "ClassDesc", "RegNo", "Name", "RentSI", "SI", "Licence",
               "RequestedStart", "UserID", "ClubID"});
    static const Path note = P("Note");
    static const std::vector<Path> tail = Paths({"Fee", "EntryStop", "CreatedDateTime"});
    ForEachElement(data, [&](pugi::xml_node rec) {
        FieldsLine(rec, head, out);
        out.Field(Text(rec, note), true);
        FieldsLine(rec, tail, out);
        out.EndLine();
        ++poz.records;
    });
}

void EventResults(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> f =
        Paths({"ID", "ClassID", "ClassDesc", "Place", "RegNo", "Name", "Time", "Loss"});
    PlainList(data, poz, out, f);
}

void EventList(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> f =
        Paths({"ID", "Name", "Date", "Org1/ID", "Org1/Abbr", "Org1/Name", "Discipline/ShortName",
               "EntryDate1", "EntryDate2", "EntryDate3", "Place"});
    PlainList(data, poz, out, f);
}

void Registration(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> f = Paths({"RegNo", "UserID", "Lic", "FirstName", "LastName",
                                              "SI", "Paid", "ClubID", "Gender", "Born", "Fee"});
    PlainList(data, poz, out, f);
}

void ServiceEntries(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> f =
        Paths({"ID", "RegNo", "Quantity", "TotalFee", "CreatedDateTime", "Service/ID",
               "Service/NameCZ", "Service/UnitPrice", "CreatedByUserID"});
    PlainList(data, poz, out, f);
}

void Balance(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> f = Paths(
        {"ClubID", "ClubAbbr", "FeeEntry", "FeeSI", "FeeService", "FeeTotal", "Paid", "ToBePaid"});
    PlainList(data.child("Clubs"), poz, out, f);
}

void Event(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    out.started = true;
    const auto line = [&](std::string_view key, std::string_view value) {
        out.line += key;
        out.line += '=';
        // These lines are not ';'-separated: only a line end would break one.
        for (const char c : value) {
            out.line += (c == '\r' || c == '\n') ? ' ' : c;
        }
        out.EndLine();
    };
    const auto person = [&](const char* element) {
        const pugi::xml_node p = data.child(element);
        line(element, Text(p.child("FirstName")) + " " + Text(p.child("LastName")));
    };
    for (const char* key : {"ID", "Name", "Date", "Place", "Map"}) {
        line(key, Text(data.child(key)));
    }
    line("Org1", Text(data, P("Org1/Abbr")));
    line("Level", Text(data, P("Level/ShortName")));
    for (const char* key :
         {"EntryDate1", "EntryDate2", "EntryDate3", "EntryKoef2", "EntryKoef3", "EntryRentSIFee",
          "EntryBankAccount", "RankingDecisionDate", "StartTime", "EventOfficeCloses", "Stages",
          "Stage1", "Stage2", "Stage3", "Stage4", "Stage5", "Stage6", "Stage7", "Stage8"}) {
        line(key, Text(data.child(key)));
    }
    for (const char* element :
         {"Director", "MainReferee", "SW", "CourseSetter_1", "CourseSetter_2", "CourseSetter_3"}) {
        person(element);
    }
    ++poz.records;
}

int32_t Whole(std::string_view text) {
    const int64_t v = WholeNumber(text);
    return v >= INT32_MIN && v <= INT32_MAX ? static_cast<int32_t>(v) : 0;
}

double Real(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Digits and a '.' only: no "inf" or "nan", and a decimal comma is not a number.
    if (text.empty() ||
        !(std::isdigit(static_cast<unsigned char>(text.front())) != 0 || text.front() == '.')) {
        return 0;
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) {
        return 0;
    }
    return negative ? -v : v;
}

// The fee raised by a percentage, rounded to the nearest whole number, halves to even.
int64_t Raised(int32_t fee, double percent) {
    const double v = std::nearbyint((100.0 + percent) * fee / 100.0);
    return std::isfinite(v) && std::fabs(v) < 9e18 ? static_cast<int64_t>(v) : 0;
}

void EventClasses(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    const double koef2 = Real(Text(data.child("EntryKoef2")));
    const double koef3 = Real(Text(data.child("EntryKoef3")));
    out.started = true;
    ForEachElement(data.child("Classes"), [&](pugi::xml_node cls) {
        const int32_t fee = Whole(Text(cls.child("Fee")));
        const int32_t manualFee = Whole(Text(cls.child("ManualFee")));
        const int32_t noExtraFee = Whole(Text(cls.child("NoExtraFee")));
        int64_t fee2 = fee;
        int64_t fee3 = fee;
        if (manualFee == 1) {
            fee2 = Whole(Text(cls.child("ManualFeeEntryDate2")));
            fee3 = Whole(Text(cls.child("ManualFeeEntryDate3")));
        } else if (noExtraFee == 0) {
            fee2 = Raised(fee, koef2);
            fee3 = Raised(fee, koef3);
        }
        const int32_t legs = Whole(Text(cls.child("Legs")));
        out.Field(Text(cls.child("ID")));
        out.Field(Text(cls.child("Name")));
        for (const int64_t n : {int64_t{fee}, fee2, fee3, int64_t{legs}}) {
            out.Field(std::to_string(n));
        }
        out.EndLine();
        ++poz.records;
    });
}

void EventEntries(pugi::xml_node data, TPozadavekOris& poz, Output& out) {
    static const std::vector<Path> f = Paths(
        {"ID", "ClassID", "ClassDesc", "RegNo", "Name", "RentSI", "SI", "Licence", "RequestedStart",
         "UserID", "ClubID", "Note", "Fee", "EntryStop", "CreatedDateTime"});
    static const char* const stages[] = {"Stage1", "Stage2", "Stage3", "Stage4",
                                         "Stage5", "Stage6", "Stage7", "Stage8"};
    out.started = true;
    ForEachElement(data, [&](pugi::xml_node rec) {
        FieldsLine(rec, f, out);
        const pugi::xml_node st = rec.child("Stages");
        for (int k = 1; k <= 8; ++k) {
            const std::string value = Text(st.child(stages[k - 1]));
            if (!value.empty()) {
                out.line += "E" + std::to_string(k) + "=";
                out.Field(value);
            }
        }
        out.EndLine();
        ++poz.records;
    });
}

struct Prevodnik {
    const char* method;
    const char* message;
    bool multi; // one file gathered from several downloads
    void (*run)(pugi::xml_node data, TPozadavekOris& poz, Output& out);
};

const Prevodnik kPrevodniky[] = {
    {"getCSOSClubList", "Nepodařilo se zpracovat soubor oddílů ČSOS", false, ClubList},
    {"getClub", "Nepodařilo se zpracovat soubor oddílů ČSOS", true, Club},
    {"getUserEventEntries", "Nepodařilo se zpracovat soubor přihlášek oddílu", true, UserEntries},
    {"getEventResults", "Nepodařilo se zpracovat soubor výsledků oddílu", true, EventResults},
    {"getEventList", "Nepodařilo se zpracovat soubor kalendáře závodů", false, EventList},
    {"getRegistration", "Nepodařilo se zpracovat soubor registrace", false, Registration},
    {"getEventServiceEntries", "Nepodařilo se zpracovat soubor služeb", false, ServiceEntries},
    {"getEventBalance", "Nepodařilo se zpracovat soubor plateb", false, Balance},
    {"getEvent", "Nepodařilo se zpracovat soubor detailů kalendáře závodů", false, Event},
    {"getEvent_KATEG", "Nepodařilo se zpracovat soubor kategorií", false, EventClasses},
    {"getEventEntries", "Nepodařilo se zpracovat soubor přihlášek", false, EventEntries},
};

const Prevodnik* NajdiPrevodnik(std::string_view method) {
    for (const Prevodnik& p : kPrevodniky) {
        if (platform::Utf8EqualNoCase(p.method, method)) {
            return &p;
        }
    }
    return nullptr;
}

// Converts a loaded document; false when it could not be loaded, has no Data under its root
// element or stops on an element where a text was expected.
bool Convert(const Prevodnik& p, const pugi::xml_document& doc, bool loaded, TPozadavekOris& poz,
             Output& out) {
    if (p.multi) {
        out.started = true; // the file was opened for appending before the document was read
    }
    const pugi::xml_node data = doc.document_element().child("Data");
    if (!loaded || !data) {
        return false;
    }
    try {
        p.run(data, poz, out);
        return true;
    } catch (const NotText&) {
        return false;
    }
}

} // namespace

bool PrevedXmlOris(TPozadavekOris& poz, int mode) {
    const Prevodnik* p = NajdiPrevodnik(poz.method);
    if (p == nullptr) {
        return false;
    }
    if (p->multi && mode == RezimZacatek) {
        poz.errorText.clear();
        if (!platform::WriteFileAtomic(poz.FN, "", nullptr)) {
            poz.errorText = p->message;
            return false;
        }
        return true;
    }
    if (p->multi && mode == RezimKonec) {
        return true;
    }
    const int32_t recordsBefore = poz.records;
    pugi::xml_document doc;
    const bool loaded = static_cast<bool>(doc.load_file(poz.workFile.c_str()));
    Output out;
    bool ok = Convert(*p, doc, loaded, poz, out);
    if (out.started) {
        const std::string bytes = platform::Utf8ToCp1250(out.text);
        // Appended whole or not at all: a failure never leaves part of a line behind.
        const bool written = p->multi ? platform::AppendWhole(poz.FN, bytes, nullptr)
                                      : platform::WriteFileAtomic(poz.FN, bytes, nullptr);
        if (!written) {
            // Nothing reached the file: no records to report.
            poz.records = recordsBefore;
            ok = false;
        }
    }
    if (!ok) {
        poz.errorText = p->message;
    }
    return ok;
}

bool PrevedXmlText(std::string_view xml, TPozadavekOris& poz, std::string& output) {
    output.clear();
    const Prevodnik* p = NajdiPrevodnik(poz.method);
    if (p == nullptr) {
        return false;
    }
    pugi::xml_document doc;
    const bool loaded = static_cast<bool>(doc.load_buffer(xml.data(), xml.size()));
    Output out;
    const bool ok = Convert(*p, doc, loaded, poz, out);
    output = platform::Utf8ToCp1250(out.text);
    if (!ok) {
        poz.errorText = p->message;
    }
    return ok;
}

} // namespace QZ_ORIS
