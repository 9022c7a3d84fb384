#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The reader's Bluetooth module as the service commands reach it: peer address, friendly name,
// switched on or off, connected or not. The module keeps address and name in its own memory, so
// neither "Reset all" nor a restart changes them; a restart switches it on and drops the link.
class BluetoothSettings final {
public:
    using Bodies = std::vector<std::vector<uint8_t>>;

    static constexpr size_t kAddressLength = 12;
    static constexpr size_t kMaxName = 20;
    static constexpr const char* kDefaultAddress = "0017E9000001";
    static constexpr const char* kDefaultName = "Corvantelle";

    // Service requests (command 0x9F) with these sub-codes are the module's.
    static bool Owns(uint8_t code, const uint8_t* args, size_t count);
    // args start with the sub-code; false when the module refuses, which changes nothing.
    bool Execute(const uint8_t* args, size_t count, Bodies& answers);
    void Restart();

    const std::string& PeerAddress() const { return m_peerAddress; }
    const std::string& FriendlyName() const { return m_friendlyName; }
    bool Enabled() const { return m_enabled; }
    bool Connected() const { return m_connected; }

private:
    std::string m_peerAddress = kDefaultAddress;
    std::string m_friendlyName = kDefaultName;
    bool m_enabled = true;
    bool m_connected = false;
};
