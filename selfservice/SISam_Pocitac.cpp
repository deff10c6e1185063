// The computer name and GUIDs of the system.
#include "SISam_Proc.h"

#include <QUuid>
#include <unistd.h>

namespace SISam_Proc {

namespace {

class SystemovyPocitac : public IPocitac {
public:
    std::string JmenoPocitace() override {
        char buf[256] = {};
        if (::gethostname(buf, sizeof buf - 1) != 0) {
            return {};
        }
        return JmenoZHostname(buf);
    }
    std::string NovyGuid() override {
        const QUuid id = QUuid::createUuid();
        if (id.isNull()) {
            return {};
        }
        return id.toString(QUuid::WithBraces).toUpper().toStdString();
    }
};

IPocitac* g_pocitac = nullptr;

} // namespace

IPocitac& Pocitac() {
    static SystemovyPocitac system;
    return g_pocitac != nullptr ? *g_pocitac : system;
}

void SetPocitac(IPocitac* pocitac) {
    g_pocitac = pocitac;
}

} // namespace SISam_Proc
