#pragma once

#include "core/app/LinkPort.h"
#include "sim/SimulatedReader.h"

#include <cstdint>
#include <functional>

// The engine's line wired straight to a simulated reader, without a port: what the engine
// writes reaches the reader at once, and what the reader sends is handed over on Advance, in
// batches of at most kBatch bytes, as the serial port hands over what it read.
class SimLink final : public ILinkPort {
public:
    static constexpr int kBatch = 1000;

    using Receiver = std::function<void(const uint8_t* bytes, int count)>;
    using LostHandler = std::function<void()>;

    SimLink() = default;
    explicit SimLink(uint8_t nodeAddress, uint32_t seed = 1) : m_reader(nodeAddress, seed) {}

    int Open() override;
    int Close() override;
    int IsOpen() const override { return m_open ? 1 : 0; }
    int Write(const uint8_t* bytes, int count) override;
    void SetPortNumber(int port) override { m_portNumber = port; }
    int GetPortNumber() const override { return m_portNumber; }
    void SetBaudRate(uint32_t baud) override { m_baudRate = baud; }
    uint32_t GetBaudRate() const override { return m_baudRate; }
    int SetDtr() override;
    int ClearDtr() override;
    bool GetDtr() const { return m_dtr; }

    void SetReceiver(Receiver receiver) { m_receiver = std::move(receiver); }
    // Called once when the line goes away while open; the link is closed by then.
    void SetLostHandler(LostHandler handler) { m_lostHandler = std::move(handler); }

    // Runs the reader's clock on and delivers what it sent meanwhile (nothing while closed: the
    // bytes are lost on the line, as with an unplugged cable).
    void Advance(int milliseconds);
    // The cable comes out: the link closes, the lost handler runs and Open fails until Replug.
    void Unplug();
    void Replug() { m_plugged = true; }
    bool IsPlugged() const { return m_plugged; }

    SimulatedReader& Reader() { return m_reader; }
    const SimulatedReader& Reader() const { return m_reader; }

private:
    SimulatedReader m_reader;
    Receiver m_receiver;
    LostHandler m_lostHandler;
    bool m_open = false;
    bool m_plugged = true;
    bool m_dtr = false;
    int m_portNumber = 1;
    uint32_t m_baudRate = 9600;
};
