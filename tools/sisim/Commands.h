#pragma once

// The simulator's command language, one command a line, '#' starts a comment:
//   insert <type> <cardnumber> [imagefile]   remove   wait <ms>   speed 38400|4800
//   proto extended|legacy   fault badcrc|badsum|split <ms>|lose <n>|noise|silence   quit

#include "Station.h"

#include <deque>
#include <string>
#include <variant>

namespace sisim {

struct Command {
    enum class Kind { Insert, Remove, Wait, Speed, Proto, Fault, Quit };
    Kind kind;
    CardKind card = CardKind::Si5;
    int number = 0;        // insert: card number; wait: ms; speed: baud
    std::string imageFile; // insert: optional memory image
    Protocol protocol = Protocol::Extended;
    sisim::Fault fault{FaultKind::BadCrc, 0};
};

// A command, nothing for a blank or comment line, or an error text.
using ParsedLine = std::variant<std::monostate, Command, std::string>;
ParsedLine ParseCommand(const std::string& line);

// Runs commands against a station in order, holding back the rest while a wait lasts.
class CommandRunner {
public:
    CommandRunner(Station& station, Station::Log log);

    void Add(Command command) { queue_.push_back(std::move(command)); }
    // Executes queued commands until a wait is running or the queue is empty.
    void Run(TimePoint now);
    // End of the running wait, if one holds commands back.
    std::optional<TimePoint> WakeTime() const;
    bool Idle() const { return queue_.empty(); }
    bool QuitRequested() const { return quit_; }

private:
    void Execute(const Command& c, TimePoint now);

    Station& station_;
    Station::Log log_;
    std::deque<Command> queue_;
    std::optional<TimePoint> waitUntil_;
    bool quit_ = false;
};

} // namespace sisim
