// Request files come from another program: any bytes must parse without harm, the answer must
// keep its line structure, and no accepted output name may lead out of the request folder.
#include "QZ_ORIS.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Cp1250.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    QZ_ORIS::TPozadavekOris poz;
    QZ_ORIS::TParamyOris params;
    if (!QZ_ORIS::ParsePozadavekOris(bytes, poz, params)) {
        return 0;
    }
    Check(platform::Utf8Length(poz.method) <= 60 && platform::Utf8Length(poz.Param) <= 200);
    for (const QZ_ORIS::TParamOris& p : params) {
        Check(platform::Utf8Length(p.name) <= 20 && platform::Utf8Length(p.value) <= 20);
    }

    poz.result = "OK";
    poz.errorText = "x";
    const std::string answer = QZ_ORIS::TextOdpovedi(poz, platform::WallTime{});
    size_t lineEnds = 0;
    for (size_t i = 0; i < answer.size(); ++i) {
        if (answer[i] == '\n' || answer[i] == '\r') {
            Check(answer.compare(i, 2, "\r\n") == 0);
            ++lineEnds;
            ++i;
        }
    }
    Check(lineEnds == (poz.IDZAVOD > 0 ? 5u : 4u));

    poz.requestPath = "/req/" + poz.FN;
    Check(QZ_ORIS::JmenoOdpovedi(poz.requestPath) != poz.requestPath);

    std::filesystem::path out;
    std::string error;
    if (QZ_ORIS::VystupniSoubor(poz.FN, "/nonexistent-oris-base/", out, error)) {
        const std::string text = out.string();
        Check(text.rfind("/nonexistent-oris-base/", 0) == 0);
        for (const auto& part : out) {
            Check(part != "..");
        }
    } else {
        Check(!error.empty());
    }
    return 0;
}
