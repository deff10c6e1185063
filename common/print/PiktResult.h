#pragma once

// How the print-folder spooler's sheet printer dealt with one control-description file.
namespace fPikt {

enum class PiktResult {
    Printed,       // every page printed, the file deleted
    NothingToDraw, // no sheet in the file: no job started, the file deleted
    Unreadable,    // the file could not be read: it stays for the next run
    PrintFailed,   // a job failed: the file stays for the next run
    SetAside,      // not whole records: renamed to <name>.bad with a message, so later files go on
    // The file is still there and cannot be taken away (not deleted after printing, or not set
    // aside); the message is shown. The caller passes it over until it changes, or the same
    // file would be printed or refused again in every run.
    Stuck,
};

} // namespace fPikt
