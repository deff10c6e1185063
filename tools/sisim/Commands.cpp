#include "Commands.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace sisim {

namespace {

bool ToInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return r.ec == std::errc() && r.ptr == end;
}

// "hh:mm:ss", a time of day.
bool ToTime(const std::string& text, int& seconds) {
    int h = 0;
    int m = 0;
    int s = 0;
    if (text.size() != 8 || text[2] != ':' || text[5] != ':' || !ToInt(text.substr(0, 2), h) ||
        !ToInt(text.substr(3, 2), m) || !ToInt(text.substr(6, 2), s) || h < 0 || h > 23 || m < 0 ||
        m > 59 || s < 0 || s > 59) {
        return false;
    }
    seconds = h * 3600 + m * 60 + s;
    return true;
}

bool ToStationCode(const std::string& text, int& code) {
    return ToInt(text, code) && code >= 1 && code <= 255;
}

} // namespace

const char* CommandHelp() {
    return "commands, one a line ('#' starts a comment):\n"
           "  insert <type> <cardnumber> [imagefile]  put a card in (si5 si6 si6star si8 si9 "
           "pcard\n"
           "                                          si10 si11 siac)\n"
           "  remove                                  take the card out\n"
           "  wait <ms>                               hold back the commands after it\n"
           "  speed 38400|4800                        the speed the station is set to\n"
           "  proto extended|legacy                   the protocol it speaks\n"
           "  extmode on|off                          the extended-mode bit of system value 0x74\n"
           "  control <code>                          its station code, 1 to 255\n"
           "  punch <card> <hh:mm:ss>                 add a punch to the backup memory\n"
           "  backup <n>                              backup memory of n punches: card 10000+i at\n"
           "                                          08:00:00 plus i s (0 empties it)\n"
           "  autosend <card> <hh:mm:ss> [code]       send a punch record now (code: another "
           "station's)\n"
           "  role station|display                    a station (then at 38400 Bd) or a text\n"
           "                                          display (at 9600 Bd)\n"
           "  fault badcrc|badsum|split <ms>|lose <n>|noise|silence   spoil the next frame\n"
           "  fault pull <n> [ms]                     the card leaves right after the n-th read\n"
           "                                          command from now is answered; its removal\n"
           "                                          message follows in a write of its own, the\n"
           "                                          second half ms later (default 0: whole)\n"
           "  quit\n";
}

std::vector<BackupPunch> GeneratedPunches(int n) {
    std::vector<BackupPunch> punches;
    for (int i = 1; i <= n; ++i) {
        punches.push_back({10000 + i, 8 * 3600 + i});
    }
    return punches;
}

ParsedLine ParseCommand(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> w{std::istream_iterator<std::string>(in),
                               std::istream_iterator<std::string>()};
    if (w.empty()) {
        return std::monostate{};
    }
    const std::string& name = w[0];
    const size_t args = w.size() - 1;
    Command c{};
    if (name == "insert") {
        if (args < 2 || args > 3) {
            return "usage: insert <type> <cardnumber> [imagefile]";
        }
        const auto kind = ParseCardKind(w[1]);
        if (!kind) {
            return "unknown card type '" + w[1] +
                   "' (si5 si6 si6star si8 si9 pcard si10 si11 siac)";
        }
        if (!ToInt(w[2], c.number)) {
            return "card number '" + w[2] + "' is not a number";
        }
        c.kind = Command::Kind::Insert;
        c.card = *kind;
        if (const std::string why = CheckCardNumber(*kind, c.number); !why.empty()) {
            return why;
        }
        if (args == 3) {
            c.imageFile = w[3];
        }
        return c;
    }
    if (name == "remove" || name == "quit") {
        if (args != 0) {
            return name + " takes no arguments";
        }
        c.kind = name == "remove" ? Command::Kind::Remove : Command::Kind::Quit;
        return c;
    }
    if (name == "wait") {
        if (args != 1 || !ToInt(w[1], c.number) || c.number < 0) {
            return "usage: wait <ms>";
        }
        c.kind = Command::Kind::Wait;
        return c;
    }
    if (name == "speed") {
        if (args != 1 || !ToInt(w[1], c.number) || (c.number != 38400 && c.number != 4800)) {
            return "usage: speed 38400|4800";
        }
        c.kind = Command::Kind::Speed;
        return c;
    }
    if (name == "proto") {
        if (args != 1 || (w[1] != "extended" && w[1] != "legacy")) {
            return "usage: proto extended|legacy";
        }
        c.kind = Command::Kind::Proto;
        c.protocol = w[1] == "extended" ? Protocol::Extended : Protocol::Legacy;
        return c;
    }
    if (name == "extmode") {
        if (args != 1 || (w[1] != "on" && w[1] != "off")) {
            return "usage: extmode on|off";
        }
        c.kind = Command::Kind::ExtMode;
        c.on = w[1] == "on";
        return c;
    }
    if (name == "control") {
        if (args != 1 || !ToStationCode(w[1], c.number)) {
            return "usage: control <code> (1 to 255)";
        }
        c.kind = Command::Kind::Control;
        return c;
    }
    if (name == "punch" || name == "autosend") {
        const bool punch = name == "punch";
        const std::string usage = punch ? "usage: punch <card> <hh:mm:ss>"
                                        : "usage: autosend <card> <hh:mm:ss> [code 1 to 255]";
        if (args < 2 || args > (punch ? 2u : 3u) || !ToInt(w[1], c.number) ||
            !ToTime(w[2], c.seconds) || (args == 3 && !ToStationCode(w[3], c.code))) {
            return usage;
        }
        if (punch) {
            if (const std::string why = CheckBackupCard(c.number); !why.empty()) {
                return why;
            }
        } else if (!AutosendCardBytes(c.number)) {
            return "a punch record holds card numbers up to 65535, S*100000 plus up to 65535 "
                   "with S from 2 to 4, or 327680 to 16777215";
        }
        c.kind = punch ? Command::Kind::Punch : Command::Kind::AutoSend;
        return c;
    }
    if (name == "backup") {
        if (args != 1 || !ToInt(w[1], c.number) || c.number < 0 ||
            c.number > static_cast<int>(kBackupCapacity)) {
            return "usage: backup <n> (0 to " + std::to_string(kBackupCapacity) + ")";
        }
        c.kind = Command::Kind::Backup;
        return c;
    }
    if (name == "role") {
        if (args != 1 || (w[1] != "station" && w[1] != "display")) {
            return "usage: role station|display";
        }
        c.kind = Command::Kind::Role;
        c.role = w[1] == "station" ? Role::Station : Role::Display;
        return c;
    }
    if (name == "fault") {
        static const std::string usage =
            "usage: fault badcrc|badsum|split <ms>|lose <n>|noise|silence";
        if (args < 1) {
            return usage;
        }
        c.kind = Command::Kind::Fault;
        const std::string& f = w[1];
        if (f == "pull") {
            if (args < 2 || args > 3 || !ToInt(w[2], c.fault.value) || c.fault.value < 1 ||
                (args == 3 && (!ToInt(w[3], c.fault.gap) || c.fault.gap < 0))) {
                return "usage: fault pull <n> [ms] (n from 1)";
            }
            c.fault.kind = FaultKind::Pull;
            return c;
        }
        if (f == "split" || f == "lose") {
            if (args != 2 || !ToInt(w[2], c.fault.value) || c.fault.value < 0) {
                return usage;
            }
            c.fault.kind = f == "split" ? FaultKind::Split : FaultKind::Lose;
            return c;
        }
        if (args != 1) {
            return usage;
        }
        for (FaultKind k :
             {FaultKind::BadCrc, FaultKind::BadSum, FaultKind::Noise, FaultKind::Silence}) {
            if (f == FaultName(k)) {
                c.fault.kind = k;
                return c;
            }
        }
        return usage;
    }
    return "unknown command '" + name + "'";
}

CommandRunner::CommandRunner(Station& station, Station::Log log)
    : station_(station), log_(std::move(log)) {
    if (!log_) {
        log_ = [](const std::string&) {};
    }
}

void CommandRunner::Run(TimePoint now) {
    while (!queue_.empty() && !quit_) {
        if (waitUntil_ && now < *waitUntil_) {
            return;
        }
        waitUntil_.reset();
        const Command c = std::move(queue_.front());
        queue_.pop_front();
        Execute(c, now);
    }
}

std::optional<TimePoint> CommandRunner::WakeTime() const {
    if (queue_.empty()) {
        return std::nullopt;
    }
    return waitUntil_;
}

void CommandRunner::Execute(const Command& c, TimePoint now) {
    switch (c.kind) {
    case Command::Kind::Insert: {
        if (c.imageFile.empty()) {
            station_.Insert(MakeCard(c.card, c.number), now);
            return;
        }
        std::ifstream in(c.imageFile, std::ios::binary);
        if (!in) {
            log_("insert: cannot open image " + c.imageFile);
            return;
        }
        std::vector<uint8_t> image{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
        std::string error;
        auto card = CardFromImage(c.card, c.number, std::move(image), error);
        if (!card) {
            log_("insert: " + c.imageFile + ": " + error);
            return;
        }
        station_.Insert(std::move(*card), now);
        return;
    }
    case Command::Kind::Remove:
        station_.Remove(now);
        return;
    case Command::Kind::Wait:
        waitUntil_ = now + std::chrono::milliseconds(c.number);
        return;
    case Command::Kind::Speed:
        station_.SetSpeed(c.number);
        log_("station speed " + std::to_string(c.number) + " Bd");
        return;
    case Command::Kind::Proto:
        station_.SetProtocol(c.protocol);
        log_(std::string("protocol ") + (c.protocol == Protocol::Extended ? "extended" : "legacy"));
        return;
    case Command::Kind::ExtMode:
        station_.SetExtendedMode(c.on);
        log_(std::string("extended mode bit ") + (c.on ? "on" : "off"));
        return;
    case Command::Kind::Control:
        station_.SetStationCode(c.number);
        log_("station code " + std::to_string(c.number));
        return;
    case Command::Kind::Punch:
        station_.AddPunch({c.number, c.seconds});
        return;
    case Command::Kind::Backup:
        station_.SetBackup(GeneratedPunches(c.number));
        return;
    case Command::Kind::AutoSend:
        station_.AutoSend(c.number, c.seconds, c.code, now);
        return;
    case Command::Kind::Role:
        station_.SetRole(c.role);
        log_(std::string(c.role == Role::Display ? "role display" : "role station") + ", " +
             std::to_string(station_.Speed()) + " Bd");
        return;
    case Command::Kind::Fault:
        station_.AddFault(c.fault);
        log_("fault " + FaultName(c.fault.kind) +
             (c.fault.kind == FaultKind::Pull
                  ? " armed for the answer to read command " + std::to_string(c.fault.value)
                  : " armed for the next frame"));
        return;
    case Command::Kind::Quit:
        quit_ = true;
        return;
    }
}

} // namespace sisim
