#pragma once

#include <cstdint>

// The line to the reader as the engine sees it: a serial port, or a simulated reader wired
// in-process. Received bytes come back through the engine's OnRxBytes.
class ILinkPort {
public:
    virtual ~ILinkPort() = default;
    virtual int Open() = 0;       // 1 = open, 0 = failed
    virtual int Close() = 0;      // 1
    virtual int IsOpen() const = 0;
    virtual int Write(const uint8_t* bytes, int count) = 0;  // 1 = written, 0 = failed
    virtual void SetPortNumber(int port) = 0;
    virtual int GetPortNumber() const = 0;
    virtual void SetBaudRate(uint32_t baud) = 0;
    virtual int SetDtr() = 0;
    virtual int ClearDtr() = 0;
};
