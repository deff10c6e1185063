// Whatever a station or a noisy line sends must never corrupt memory or the readout: feed the
// bytes to the frame helpers and to a port in readout mode, in pieces.
#include "SI_Port.h"
#include "SiProtocol.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <vector>

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
    SiProtocol::TSIFrameInfo info{};
    const SiProtocol::ExtFrameResult r = SiProtocol::ParseExtFrameBytes(data, size, info);
    if (r.status == SiProtocol::ExtFrameStatus::Complete && r.consumed > size) {
        std::abort();
    }
    std::vector<uint8_t> copy(data, data + size);
    size_t n = copy.size();
    SiProtocol::RemoveDle(copy.data(), n);
    if (n > size) {
        std::abort();
    }

    // The first byte picks the mode and the piece size, the rest arrives piece by piece.
    if (size < 2) {
        return 0;
    }
    TSIPort port(1);
    auto line = std::make_unique<FuzzLine>();
    FuzzLine* raw = line.get();
    port.port = std::move(line);
    port.Rezim = (data[0] & 1) != 0 ? 1 : 2;
    port.Path = "/nonexistent-fuzz-folder";
    const size_t piece = 1 + data[0] % 64;
    for (size_t at = 1; at < size; at += piece) {
        for (size_t i = at; i < std::min(size, at + piece); ++i) {
            raw->pending.push_back(data[i]);
        }
        port.Poll();
        if (port.rxLen > TSIPort::RxSize || port.carryCount < 0 ||
            static_cast<size_t>(port.carryCount) > TSIPort::RxSize) {
            std::abort();
        }
    }
    return 0;
}
