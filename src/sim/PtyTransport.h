#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The far end of a pseudo-terminal, for a simulated reader that a program opens like a serial
// device. The transport keeps the slave side open itself, so the master never sees a hang-up
// when a client closes the device, and the client can open it again; ReleaseSlave lets the
// hang-up through, for an owner that wants to know whether a client is there.
class PtyTransport final {
public:
    PtyTransport() = default;
    ~PtyTransport();
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    // 0, or -1 when no pseudo-terminal could be made.
    int Open();
    void Close();
    bool IsOpen() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slavePath; }
    // Closes the transport's own hold on the slave: from now on HasClient tells whether a program
    // has the device open. The terminal's settings stay, and a client can still open it.
    void ReleaseSlave();
    // False while no program has the device open (only known after ReleaseSlave). What is
    // written meanwhile waits in the terminal for the next client, so an owner drops it instead.
    bool HasClient() const;
    // For an event loop to watch: readable when the client has written.
    int MasterFd() const { return m_master; }

    // Waits up to timeoutMs for bytes from the client: 1 when some are there, 0 otherwise
    // (a signal ends the wait early), -1 on a hard error.
    int Wait(int timeoutMs) const { return WaitMicros(static_cast<int64_t>(timeoutMs) * 1000); }
    // The same to the microsecond, for pacing a line at 115200 baud (87 us a character).
    int WaitMicros(int64_t timeoutUs) const;
    // What the client wrote: the count, 0 when there is nothing, -1 on a hard error.
    int Read(uint8_t* buffer, size_t size) const;
    // As much as the line takes now: the count written (0 when its buffer is full), -1 on a hard error.
    int Write(const uint8_t* bytes, size_t count) const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};
