#pragma once

#include "OrisNet.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/ServiceState.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The ORIS bridge: Ravlin drops request files P*.ori into its import folder; each is read,
// served from the ORIS web API (download into Work.xml, conversion into the text file the
// request names) and answered in a .orr file beside it.
namespace QZ_ORIS {

// One request, as read from its file and as served. Texts are UTF-8.
struct TPozadavekOris {
    std::string method;      // ORIS method, "TestCardvane" or any other word (at most 60)
    std::string date;        // as Ravlin wrote it, kept only (at most 10)
    std::string time;        // as Ravlin wrote it, shown in the status (at most 8)
    std::string Param;       // query text for some addresses (at most 200)
    std::string workFile;    // the download buffer
    std::string requestPath; // the request file
    std::string FN;          // the output file; the service puts the request folder in front
    std::string result;      // "OK" or "ERR"
    std::string errorText;   // ErrorInfo of the answer (at most 200)
    int32_t records = 0;     // output records written
    int32_t IDZAVOD = 0;     // ORIS event id, 0 when absent
};

// A further "name=value" line of a request; both cut to 20 characters.
class TParamOris {
public:
    TParamOris(std::string_view name, std::string_view value);
    std::string name;
    std::string value;
};

using TParamyOris = std::vector<TParamOris>;

// Settings of the bridge in QZ_SI.ini: the ORIS web service, scheme and host (and port).
inline constexpr const char* kSekceOris = "ORIS";
inline constexpr const char* kKlicAdresa = "Adresa";
inline constexpr const char* kVychoziAdresa = "https://oris.orientacnisporty.cz";
// The address from SI_Typ::IniNastaveni (the default when there is none), without a final '/'.
std::string AdresaOris();

// The prefix of request files and outputs: Ravlin's folder with a separator, followed by
// Import as Ravlin.inf gives it ("Import\" names a folder; a bare "Import" is a name prefix).
// Empty when Ravlin's folder is not set.
std::string SlozkaPozadavkuOris();

// Parses a request (Windows-1250 bytes). True only for a valid "#ORIS#" header. The record
// and the list are cleared first.
bool ParsePozadavekOris(std::string_view bytes, TPozadavekOris& poz, TParamyOris& params);
// Reads and parses a request file; false also when it cannot be read or is larger than any
// request (1 MiB).
bool NactiPozadavekOris(const std::filesystem::path& file, TPozadavekOris& poz,
                        TParamyOris& params);

// The answer's name: the request's name with its final ".ori" (any case) made ".orr".
std::string JmenoOdpovedi(std::string_view requestPath);
// The answer's lines (UTF-8, CR LF) stamped with the given time.
std::string TextOdpovedi(const TPozadavekOris& poz, const platform::WallTime& now);
// Writes the answer under a temporary name and renames it into place.
bool ZapisOdpovedOris(const TPozadavekOris& poz, platform::Clock& clock, std::string* error);

// The output file a request names: FN below the request prefix. Refused, with the reason in
// `error`, when FN is empty, longer than 200 characters, absolute or climbs out with "..";
// a '\' in it is a folder separator.
bool VystupniSoubor(std::string_view fn, const std::string& prefix, std::filesystem::path& output,
                    std::string& error);

// A decimal whole number, leading blanks allowed; anything else is 0.
int64_t WholeNumber(std::string_view text);

// Stands for the main window's status label LabelInternet.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    // Shows the text at once.
    virtual void Zobraz(const std::string& text) = 0;
    // One line for the program's log.
    virtual void Zaznamenej(const std::string& line) = 0;
};

// The pieces the service works with; empty ones get the real ones.
struct ObsluhaParts {
    std::unique_ptr<ConnectionProbe> probe; // default InterfaceProbe
    std::unique_ptr<Downloader> downloader; // default CurlDownloader
    platform::Clock* clock = nullptr;       // default platform::GetClock()
    std::filesystem::path workFile;         // default Work.xml in the program folder
};

// Serves the request folder. The main window calls ProjdiPozadavkyOris from its one-second
// timer, with the timer stopped while the pass runs. A failed download is answered as the
// results program knows it; the reason goes to the label, and to the log once per failure.
class TObsluhaOris {
public:
    TObsluhaOris(StatusSink& status, ObsluhaParts parts = {});

    // One polling pass: every stable request file is read, served, answered and deleted.
    void ProjdiPozadavkyOris();
    // Serves one parsed request with the parameters read with it; always writes the answer.
    void ZpracujPozadavekOris(TPozadavekOris& poz, const TParamyOris& params);

    // The program is closing: a download under way ends at once, and the request it served
    // is left unanswered in place for the next start, as is every later one.
    void Zastav();

    const std::filesystem::path& WorkFile() const { return workFile_; }

private:
    void Label(const std::string& text);
    bool Stahni(TPozadavekOris& poz, const std::string& url, const std::string& labelTail);

    StatusSink& status_;
    std::unique_ptr<ConnectionProbe> probe_;
    std::unique_ptr<Downloader> downloader_;
    platform::Clock* clock_;
    std::filesystem::path workFile_;
    // Every line of a request ends with a line end: a request cut mid-line is waited for.
    platform::StableFileCheck stable_{platform::StableFileCheck::Ends::LineEnd};
    TParamyOris params_;
    std::string label_;
    platform::ServiceState server_;
    bool zastaveno_ = false;
};

} // namespace QZ_ORIS
