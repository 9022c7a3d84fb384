#pragma once

#include <cstdint>
#include <string>

// The line to the reader as the engine sees it: a serial port, or a simulated reader wired
// in-process. Received bytes come back through the engine's OnRxBytes.
class ILinkPort {
public:
    virtual ~ILinkPort() = default;
    virtual int Open() = 0;   // 1 = open, 0 = failed
    virtual int Close() = 0;  // 1
    virtual int IsOpen() const = 0;
    virtual int Write(const uint8_t* bytes, int count) = 0;  // 1 = written, 0 = failed
    // Opens the device again after it went away, if what now stands under its name is still the
    // reader's device; 1 = open, 0 = not (yet).
    virtual int Reopen() { return Open(); }
    virtual void SetPortNumber(int port) = 0;
    virtual int GetPortNumber() const = 0;
    virtual void SetBaudRate(uint32_t baud) = 0;
    virtual int SetDtr() = 0;
    virtual int ClearDtr() = 0;
    // How the status line names the open line ("COM3", or a device path opened directly).
    virtual std::string PortLabel() const { return "COM" + std::to_string(GetPortNumber()); }
    virtual uint32_t GetBaudRate() const { return 9600; }
    // Why the last Open failed, in words a user can act on; empty when unknown.
    virtual std::string LastErrorText() const { return {}; }
};
