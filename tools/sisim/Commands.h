#pragma once

// The simulator's command language, one command a line, '#' starts a comment; CommandHelp()
// lists the commands.

#include "Station.h"

#include <deque>
#include <string>
#include <variant>
#include <vector>

namespace sisim {

struct Command {
    enum class Kind {
        Insert,
        Remove,
        Wait,
        Speed,
        Proto,
        ExtMode,
        Control,
        Punch,
        Backup,
        AutoSend,
        Role,
        Fault,
        Quit
    };
    Kind kind;
    CardKind card = CardKind::Si5;
    // insert, punch, autosend: card number; wait: ms; speed: baud; control: station code;
    // backup: number of punches
    int number = 0;
    std::string imageFile; // insert: optional memory image
    Protocol protocol = Protocol::Extended;
    bool on = false; // extmode
    int seconds = 0; // punch, autosend: time of day
    int code = 0;    // autosend: station code, 0 for the station's own
    sisim::Role role = sisim::Role::Station;
    sisim::Fault fault{FaultKind::BadCrc, 0};
};

// The command list for the usage text.
const char* CommandHelp();

// The punches "backup <n>" fills the memory with: card 10000 + i at 08:00:00 plus i seconds,
// for i from 1 to n.
std::vector<BackupPunch> GeneratedPunches(int n);

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
