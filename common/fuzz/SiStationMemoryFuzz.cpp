// Whatever a control station or a noisy line sends while a port reads its backup memory or
// listens for its punch records must never corrupt memory or grow a buffer past its size.
#include "SI_Port.h"
#include "SI_Punch.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>

namespace {

class FuzzLine : public ISerialLine {
public:
    bool IsOpen() const override { return true; }
    int Write(const uint8_t*, int n) override { return n; }
    int Read(uint8_t* buffer, int n) override {
        const int k = std::min<int>(n, static_cast<int>(pending.size()));
        for (int i = 0; i < k; ++i) {
            buffer[i] = pending.front();
            pending.pop_front();
        }
        return k;
    }
    int InQueue() override { return static_cast<int>(pending.size()); }
    int OutQueue() override { return 0; }
    std::deque<uint8_t> pending;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // Punches go nowhere: the folder cannot be created.
    SI_Punch::PunchFolderOverride = [] { return std::string("/proc/nonexistent-fuzz-folder"); };
    TSIPort port(1);
    auto line = std::make_unique<FuzzLine>();
    FuzzLine* raw = line.get();
    port.port = std::move(line);
    // The first byte picks the mode and the piece size, the rest arrives piece by piece.
    port.Rezim = (data[0] & 1) != 0 ? 3 : 9;
    if (port.Rezim == 3) {
        port.StartBackupRead();
    }
    const size_t piece = 1 + data[0] % 64;
    for (size_t at = 1; at < size; at += piece) {
        for (size_t i = at; i < std::min(size, at + piece); ++i) {
            raw->pending.push_back(data[i]);
        }
        port.Poll();
        if (port.rxLen > TSIPort::RxSize || port.backupLen < 0 ||
            static_cast<size_t>(port.backupLen) >= SI_Backup::RecordSize ||
            port.backup.Count() > size) {
            std::abort();
        }
    }
    return 0;
}
