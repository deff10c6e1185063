#include "OrisConvert.h"

#include "SI_Typ.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iconv.h>
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

// The encoding the document's XML declaration names; empty when it names none or the document
// does not begin with a declaration in ASCII (UTF-16 and UTF-32 documents, which pugixml
// recognises itself).
std::string DeclaredEncoding(std::string_view xml) {
    const size_t end = xml.find("?>");
    if (xml.rfind("<?xml", 0) != 0 || end == std::string_view::npos) {
        return {};
    }
    const std::string_view decl = xml.substr(0, end);
    const size_t key = decl.find("encoding");
    const size_t quote = key == std::string_view::npos ? key : decl.find_first_of("\"'", key);
    if (quote == std::string_view::npos) {
        return {};
    }
    const size_t close = decl.find(decl[quote], quote + 1);
    return close == std::string_view::npos ? std::string()
                                           : std::string(decl.substr(quote + 1, close - quote - 1));
}

// A name as XML allows it for an encoding, and short: only such a name is looked up.
bool EncodingName(std::string_view name) {
    if (name.empty() || name.size() > 40 ||
        std::isalpha(static_cast<unsigned char>(name[0])) == 0) {
        return false;
    }
    for (const char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '.' && c != '_' && c != '-') {
            return false;
        }
    }
    return true;
}

// Loads the document as UTF-8 read in the encoding it declares (UTF-8 when it declares none).
// Bytes that encoding does not have are no document: `reason` then says which and where.
bool LoadDocument(std::string_view xml, pugi::xml_document& doc, std::string& reason) {
    std::string_view body = xml;
    const std::string_view bom = "\xEF\xBB\xBF";
    if (body.rfind(bom, 0) == 0) {
        body.remove_prefix(bom.size());
    }
    if (body.rfind("<?xml", 0) != 0 && body.find_first_of(std::string_view("\0", 1)) < 4) {
        return static_cast<bool>(doc.load_buffer(xml.data(), xml.size())); // UTF-16 or UTF-32
    }
    std::string encoding = DeclaredEncoding(body);
    if (encoding.empty()) {
        encoding = "UTF-8";
    }
    std::string utf8;
    const iconv_t cd = EncodingName(encoding) ? ::iconv_open("UTF-8", encoding.c_str())
                                              : reinterpret_cast<iconv_t>(-1);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        reason = SI_Typ::LangText("neznámé kódování ", "unknown encoding ") + encoding;
        return false;
    }
    utf8.resize(body.size() * 4 + 16);
    char* in = const_cast<char*>(body.data());
    size_t inLeft = body.size();
    char* out = utf8.data();
    size_t outLeft = utf8.size();
    size_t done = 0;
    // A few encodings give several characters for one byte: the buffer grows as needed.
    while ((done = ::iconv(cd, &in, &inLeft, &out, &outLeft)) == static_cast<size_t>(-1) &&
           errno == E2BIG) {
        const size_t used = static_cast<size_t>(out - utf8.data());
        utf8.resize(utf8.size() * 2);
        out = utf8.data() + used;
        outLeft = utf8.size() - used;
    }
    ::iconv_close(cd);
    if (done == static_cast<size_t>(-1)) {
        const size_t at = static_cast<size_t>(in - body.data()) + (xml.size() - body.size());
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(*in));
        reason = SI_Typ::LangText("bajt ", "byte ") + byte +
                 SI_Typ::LangText(" na pozici ", " at offset ") + std::to_string(at) +
                 SI_Typ::LangText(" není platný v kódování ", " is not valid in the encoding ") +
                 encoding;
        return false;
    }
    utf8.resize(utf8.size() - outLeft);
    return static_cast<bool>(
        doc.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8));
}

// The converter's message, and why the document could not be read when that is known.
std::string Message(const Prevodnik& p, const std::string& reason) {
    return reason.empty() ? std::string(p.message)
                          : platform::Utf8Left(std::string(p.message) + " : " + reason, 200);
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
    std::string xml;
    std::string reason;
    const bool loaded =
        platform::ReadWholeFile(poz.workFile, xml, nullptr) && LoadDocument(xml, doc, reason);
    Output out;
    bool ok = Convert(*p, doc, loaded, poz, out);
    if (out.started) {
        const std::string bytes = platform::Utf8ToCp1250(out.text);
        // Appended whole or not at all: a failure never leaves part of a line behind.
        const bool written = p->multi ? platform::AppendWhole(poz.FN, bytes, nullptr,
                                                              platform::AppendTail::Lines("\r\n"))
                                      : platform::WriteFileAtomic(poz.FN, bytes, nullptr);
        if (!written) {
            // Nothing reached the file: no records to report.
            poz.records = recordsBefore;
            ok = false;
        }
    }
    if (!ok) {
        poz.errorText = Message(*p, reason);
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
    std::string reason;
    const bool loaded = LoadDocument(xml, doc, reason);
    Output out;
    const bool ok = Convert(*p, doc, loaded, poz, out);
    output = platform::Utf8ToCp1250(out.text);
    if (!ok) {
        poz.errorText = Message(*p, reason);
    }
    return ok;
}

} // namespace QZ_ORIS
