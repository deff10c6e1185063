// Whatever a station or a noisy line sends must never corrupt memory or the readout: feed the
// bytes to the frame helpers and to a port in readout mode, in pieces.
#include "FuzzLine.h"
#include "SI_Port.h"
#include "SiProtocol.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

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
    FuzzLine& line = AttachFuzzLine(port);
    port.Rezim = (data[0] & 1) != 0 ? 1 : 2;
    port.Path = "/nonexistent-fuzz-folder";
    FeedInPieces(port, line, data, size, [&] {
        if (port.rxLen > TSIPort::RxSize || port.carryCount < 0 ||
            static_cast<size_t>(port.carryCount) > TSIPort::RxSize) {
            std::abort();
        }
    });
    return 0;
}
