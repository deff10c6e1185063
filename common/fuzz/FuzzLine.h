#pragma once

// The serial line the fuzz targets feed a port through: it hands out the bytes queued in
// pending, in as small pieces as the port asks for, and swallows whatever the port writes.

#include "SI_Port.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>

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

// Puts a FuzzLine on the port, which owns it from then on.
inline FuzzLine& AttachFuzzLine(TSIPort& port) {
    auto line = std::make_unique<FuzzLine>();
    FuzzLine& raw = *line;
    port.port = std::move(line);
    return raw;
}

// Hands data[1..size) to the port in pieces of 1 + data[0] % 64 bytes, polling after each, so
// frames arrive split at every place a real line may split them; check() runs after each poll.
template <typename Check>
void FeedInPieces(TSIPort& port, FuzzLine& line, const uint8_t* data, size_t size, Check check) {
    const size_t piece = 1 + data[0] % 64;
    for (size_t at = 1; at < size; at += piece) {
        for (size_t i = at; i < std::min(size, at + piece); ++i) {
            line.pending.push_back(data[i]);
        }
        port.Poll();
        check();
    }
}
