// Whatever a control station or a noisy line sends while a port reads its backup memory or
// listens for its punch records must never corrupt memory or grow a buffer past its size.
#include "FuzzLine.h"
#include "SI_Port.h"
#include "SI_Punch.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // Punches go nowhere: the folder cannot be created.
    SI_Punch::PunchFolderOverride = [] { return std::string("/proc/nonexistent-fuzz-folder"); };
    TSIPort port(1);
    FuzzLine& line = AttachFuzzLine(port);
    // The first byte picks the mode and the piece size, the rest arrives piece by piece.
    port.Rezim = (data[0] & 1) != 0 ? 3 : 9;
    if (port.Rezim == 3) {
        port.StartBackupRead();
    }
    FeedInPieces(port, line, data, size, [&] {
        if (port.rxLen > TSIPort::RxSize || port.backupLen < 0 ||
            static_cast<size_t>(port.backupLen) >= SI_Backup::RecordSize ||
            port.backup.Count() > size) {
            std::abort();
        }
    });
    return 0;
}
