#pragma once

#include "platform/IniFile.h"

#include <cstdint>
#include <string>
#include <string_view>

// What the SI code needs of a serial line: it only ever writes short frames, reads bytes the
// driver has already queued and asks for the queue counts. Tests put a fake line behind it.
class ISerialLine {
public:
    virtual ~ISerialLine() = default;
    virtual bool IsOpen() const = 0;
    // -1 when not open; else the count written (all of them) or 0 on failure.
    virtual int Write(const uint8_t* bytes, int n) = 0;
    // -1 when not open; else the count read (never more than n), 0 when nothing or on failure.
    virtual int Read(uint8_t* buffer, int n) = 0;
    // Bytes waiting to be read / not yet sent; 0 when not open or on failure.
    virtual int InQueue() = 0;
    virtual int OutQueue() = 0;
    // Why the device has gone (unplugged, hung up), in the words of a failed opening:
    // "COM3 (/dev/ttyUSB2): Input/output error". Empty while it is there.
    virtual std::string Gone() const { return {}; }
};

// One serial device, opened by path, raw 8N1 without flow control. Synchronous and never
// blocking: reads take only what is queued. Created closed; never reopened after Close (the
// owner makes a new one).
class TPort : public ISerialLine {
public:
    TPort() = default;
    ~TPort() override;
    TPort(const TPort&) = delete;
    TPort& operator=(const TPort&) = delete;

    // True at once when already open. Fails (lastError set) when the device does not exist,
    // is not a terminal, is already held by another port, or refuses the line settings.
    bool Open();
    void Close();

    bool IsOpen() const override { return isOpen; }
    int Write(const uint8_t* bytes, int n) override;
    int WriteStr(std::string_view text);
    int Read(uint8_t* buffer, int n) override;
    int InQueue() override;
    int OutQueue() override;
    std::string Gone() const override;
    // The name, the device and the system's text for err (else for lastError).
    std::string ErrorText(int err = 0) const;

    std::string name;   // "COM3"
    std::string device; // the device path the COM number maps to, e.g. /dev/ttyUSB2
    int handle = -1;
    std::string lastError; // errno of the last failed call, as decimal text
    int32_t baudRate = 9600;
    uint8_t parity = 0;   // 0 none, 1 odd, 2 even
    uint8_t byteSize = 8; // 5..8
    uint8_t stopBits = 0; // 0 one stop bit, 1 and 2 two
    bool isOpen = false;

private:
    void Fail(int err);
    int goneError_ = 0; // the error that showed the device gone
};

namespace port {

// Device path of COM<com>: key "Zarizeni" of section "COM<com>" in the settings file, and
// when missing or empty /dev/ttyUSB<com-1> (where USB readout stations appear). Empty for
// com < 1.
std::string ComDevicePath(platform::IniFile& ini, int com);

} // namespace port
