#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The Bluetooth serial module behind the reader's line. In command mode it answers AT lines
// ended by CR the way such a module does: CR LF, the answer, CR LF; a query gets its value alone
// as the answer line. After "ATD" it is connected (data mode) and only listens for the escape
// "^^^". "ATZ" restarts it from what "AT&W" saved; it hears nothing while it starts again.
class BluetoothModule final {
public:
    struct Faults {
        bool silent = false;     // the module never answers
        int wrongRegister = -1;  // this S register reads back wrongValue, whatever was written
        std::string wrongValue;
    };

    static constexpr int kRestartMs = 1000;
    static constexpr size_t kMaxLine = 256;
    static constexpr const char* kTrustedPeer = "00126F0A1B2C";
    static constexpr const char* kDefaultName = "Corvantelle";

    BluetoothModule();

    // Bytes from the line; returns what the module answers at once.
    std::vector<uint8_t> Receive(const uint8_t* bytes, size_t count, int64_t now);
    // A line the reader hands over (its route command), without the CR.
    std::vector<uint8_t> RouteLine(const std::string& line, int64_t now);

    void SetFaults(Faults faults) { m_faults = std::move(faults); }
    const Faults& GetFaults() const { return m_faults; }
    bool IsConnected() const { return m_connected; }
    // -1 for a register the module does not have.
    int Register(int number) const;
    int SavedRegister(int number) const;
    const std::string& FriendlyName() const { return m_working.name; }
    const std::string& Passkey() const { return m_working.passkey; }
    const std::string& TrustedPeer() const { return m_trusted; }
    const std::string& OutgoingPeer() const { return m_outgoing; }

private:
    struct Settings {
        std::map<int, int> registers;
        std::string name;
        std::string passkey;
    };

    std::string Execute(const std::string& line, int64_t now);
    std::vector<uint8_t> Answer(const std::string& text) const;

    Faults m_faults;
    Settings m_working;
    Settings m_saved;
    std::string m_trusted = kTrustedPeer;
    std::string m_outgoing;
    std::string m_lastPeer;
    bool m_connected = false;
    int64_t m_deafUntil = -1;
    std::string m_line;
};
