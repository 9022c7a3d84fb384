#include "sim/BluetoothModule.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsHexAddress(const std::string& text) {
    return text.size() == 12 && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c));
           });
}

bool IsDecimal(const std::string& text, size_t maxDigits) {
    return !text.empty() && text.size() <= maxDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "text" between double quotes, or nothing when the quotes are missing.
bool Unquote(const std::string& text, std::string& inner) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return false;
    }
    inner = text.substr(1, text.size() - 2);
    return true;
}

}  // namespace

BluetoothModule::BluetoothModule() {
    // Factory values of the registers the reader's set-up touches, and a few more.
    m_working.registers = {{0, 0},   {2, 3},   {12, 100}, {504, 0},    {507, 0},
                           {512, 1}, {513, 1}, {514, 0},  {520, 9600}, {560, 15}};
    m_working.name = kDefaultName;
    m_working.passkey = "0000";
    m_saved = m_working;
}

int BluetoothModule::Register(int number) const {
    const auto it = m_working.registers.find(number);
    return it == m_working.registers.end() ? -1 : it->second;
}

int BluetoothModule::SavedRegister(int number) const {
    const auto it = m_saved.registers.find(number);
    return it == m_saved.registers.end() ? -1 : it->second;
}

std::vector<uint8_t> BluetoothModule::Answer(const std::string& text) const {
    if (text.empty() || m_faults.silent) {
        return {};
    }
    const std::string out = "\r\n" + text + "\r\n";
    return {out.begin(), out.end()};
}

std::vector<uint8_t> BluetoothModule::Receive(const uint8_t* bytes, size_t count, int64_t now) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (now < m_deafUntil) {
            continue;
        }
        if (b == '\r') {
            const std::string line = std::move(m_line);
            m_line.clear();
            const auto answer = Answer(Execute(line, now));
            out.insert(out.end(), answer.begin(), answer.end());
            continue;
        }
        if (b < 0x20 || b > 0x7E) {
            // Frame bytes for the reader, not a line for the module.
            m_line.clear();
            continue;
        }
        if (m_line.size() < kMaxLine) {
            m_line.push_back(static_cast<char>(b));
        }
        if (m_line == "^^^") {
            m_line.clear();
            if (m_connected) {
                m_connected = false;
                const auto answer = Answer("OK");
                out.insert(out.end(), answer.begin(), answer.end());
            }
        }
    }
    return out;
}

std::vector<uint8_t> BluetoothModule::RouteLine(const std::string& line, int64_t now) {
    if (now < m_deafUntil) {
        return {};
    }
    return Answer(Execute(line, now));
}

std::string BluetoothModule::Execute(const std::string& line, int64_t now) {
    // Carets left over from an escape the module did not take are not part of the command.
    const std::string command = line.substr(std::min(line.find_first_not_of('^'), line.size()));
    if (m_connected || command.size() < 2 || command.compare(0, 2, "AT") != 0) {
        return {};
    }
    const std::string rest = command.substr(2);
    if (rest.empty()) {
        return "OK";
    }
    if (rest[0] == 'S') {
        const size_t op = rest.find_first_of("?=");
        const std::string number = rest.substr(1, op == std::string::npos ? std::string::npos : op - 1);
        if (op == std::string::npos || !IsDecimal(number, 3)) {
            return "ERROR";
        }
        const int reg = std::stoi(number);
        auto it = m_working.registers.find(reg);
        if (it == m_working.registers.end()) {
            return "ERROR";
        }
        if (rest[op] == '?' && op + 1 == rest.size()) {
            if (reg == m_faults.wrongRegister) {
                return m_faults.wrongValue;
            }
            return std::to_string(it->second);
        }
        const std::string value = rest.substr(op + 1);
        if (rest[op] != '=' || !IsDecimal(value, 5) || std::stoi(value) > 65535) {
            return "ERROR";
        }
        it->second = std::stoi(value);
        return "OK";
    }
    if (rest == "&W") {
        m_saved = m_working;
        return "OK";
    }
    if (rest == "Z") {
        m_working = m_saved;
        m_connected = false;
        m_deafUntil = now + kRestartMs;
        return {};
    }
    if (rest == "H") {
        m_connected = false;
        return "OK";
    }
    if (rest == "DR") {
        if (!IsHexAddress(m_outgoing)) {
            return "ERROR";
        }
        m_connected = true;
        m_lastPeer = m_outgoing;
        return "CONNECT " + m_outgoing;
    }
    if (rest[0] == 'D') {
        const std::string peer = rest.substr(1);
        if (!IsHexAddress(peer)) {
            return "ERROR";
        }
        m_connected = true;
        m_lastPeer = peer;
        return "CONNECT " + peer;
    }
    std::string inner;
    if (rest.compare(0, 5, "+BTN=") == 0 && Unquote(rest.substr(5), inner) && !inner.empty() &&
        inner.size() <= 20) {
        m_working.name = inner;
        return "OK";
    }
    if (rest == "+BTN?") {
        return "\"" + m_working.name + "\"";
    }
    if (rest.compare(0, 5, "+BTK=") == 0 && Unquote(rest.substr(5), inner) && IsDecimal(inner, 8)) {
        m_working.passkey = inner;
        return "OK";
    }
    if (rest == "+BTW?") {
        return m_trusted.empty() ? "OK" : m_trusted;
    }
    if (rest == "+BTD*") {
        m_trusted.clear();
        return "OK";
    }
    if (rest == "+BTT") {
        const std::string peer = m_lastPeer.empty() ? std::string(kTrustedPeer) : m_lastPeer;
        m_trusted = peer;
        return "OK";
    }
    if (rest.compare(0, 4, "+BTR") == 0 && IsHexAddress(rest.substr(4))) {
        m_outgoing = rest.substr(4);
        return "OK";
    }
    return "ERROR";
}
