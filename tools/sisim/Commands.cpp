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

} // namespace

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
    if (name == "fault") {
        static const std::string usage =
            "usage: fault badcrc|badsum|split <ms>|lose <n>|noise|silence";
        if (args < 1) {
            return usage;
        }
        c.kind = Command::Kind::Fault;
        const std::string& f = w[1];
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
    case Command::Kind::Fault:
        station_.AddFault(c.fault);
        log_("fault " + FaultName(c.fault.kind) + " armed for the next frame");
        return;
    case Command::Kind::Quit:
        quit_ = true;
        return;
    }
}

} // namespace sisim
