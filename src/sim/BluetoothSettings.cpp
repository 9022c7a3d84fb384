#include "sim/BluetoothSettings.h"

#include "core/link/Commands.h"
#include "sim/AnswerBody.h"

#include <cctype>

bool BluetoothSettings::Owns(uint8_t code, const uint8_t* args, size_t count) {
    if (code != Cmd::kService || count < 1) {
        return false;
    }
    switch (args[0]) {
        case Sub9F::kConnectBluetooth:
        case Sub9F::kHangUpBluetooth:
        case Sub9F::kAssignPeerAddress:
        case Sub9F::kReadPeerAddress:
        case Sub9F::kEnableBluetooth:
        case Sub9F::kSetFriendlyName:
        case Sub9F::kGetFriendlyName:
            return true;
        default:
            return false;
    }
}

void BluetoothSettings::Restart() {
    m_enabled = true;
    m_connected = false;
}

bool BluetoothSettings::Execute(const uint8_t* args, size_t count, Bodies& answers) {
    const uint8_t sub = args[0];
    const uint8_t* p = args + 1;
    const size_t n = count - 1;
    std::vector<uint8_t> body = AckBody(Cmd::kService, {sub});
    switch (sub) {
        case Sub9F::kConnectBluetooth:
            // A module that is off has nothing to connect with.
            if (!m_enabled) {
                return false;
            }
            m_connected = true;
            break;
        case Sub9F::kHangUpBluetooth:
            m_connected = false;
            break;
        case Sub9F::kAssignPeerAddress:
            if (n != kAddressLength) {
                return false;
            }
            for (size_t i = 0; i < n; ++i) {
                if (std::isxdigit(p[i]) == 0) {
                    return false;
                }
            }
            m_peerAddress.assign(p, p + n);
            break;
        case Sub9F::kReadPeerAddress:
            body.insert(body.end(), m_peerAddress.begin(), m_peerAddress.end());
            break;
        case Sub9F::kEnableBluetooth:
            if (n < 1 || p[0] > 1) {
                return false;
            }
            m_enabled = p[0] == 1;
            m_connected = m_connected && m_enabled;
            break;
        case Sub9F::kSetFriendlyName:
            if (n < 1 || p[0] < 1 || p[0] > kMaxName || n != static_cast<size_t>(p[0]) + 1) {
                return false;
            }
            m_friendlyName.assign(p + 1, p + n);
            break;
        case Sub9F::kGetFriendlyName:
            body.push_back(static_cast<uint8_t>(m_friendlyName.size()));
            body.insert(body.end(), m_friendlyName.begin(), m_friendlyName.end());
            break;
        default:
            return false;
    }
    answers.push_back(std::move(body));
    return true;
}
