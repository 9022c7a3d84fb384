#include "sim/ConfigStore.h"

#include "core/link/Commands.h"
#include "sim/AnswerBody.h"

#include <algorithm>

namespace {

void AppendWord(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

uint16_t Word(const uint8_t* bytes) {
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

bool IsConfigAddress(uint8_t address) {
    return address >= CfgAddr::kFirst && address <= CfgAddr::kLast;
}

}  // namespace

ConfigStore::ConfigStore(uint8_t startNode)
    : m_defaultNode(IsUsableNode(startNode) ? startNode : 1), m_lineAddress(m_defaultNode) {
    LoadDefaults();
    m_saved = m_config;
    m_savedAdditional = m_additional;
}

bool ConfigStore::IsUsableNode(uint8_t address) {
    // The address byte of a frame is never escaped, and 0xFF addresses every reader.
    return address != 0x00 && address != CFrameParser::kStx && address != CFrameParser::kEtx &&
           address != CFrameParser::kDle && address != CFrameParser::kBroadcast;
}

bool ConfigStore::Owns(uint8_t code) {
    return code == Cmd::kResetAll || code == Cmd::kSetConfig || code == Cmd::kGetConfig ||
           code == Cmd::kSaveConfig || code == Cmd::kAdditional;
}

uint8_t& ConfigStore::At(uint8_t address) {
    return m_config[address - CfgAddr::kFirst];
}

void ConfigStore::LoadDefaults() {
    m_config.fill(0);
    At(CfgAddr::kFormat) = kDefaultFormat;
    At(CfgAddr::kTransponderTypes) = 0x06;  // FDX-B and HDX
    At(CfgAddr::kTimeout) = kDefaultTimeout;
    At(CfgAddr::kDelay) = kDefaultDelay;
    At(CfgAddr::kNode) = m_defaultNode;
    At(CfgAddr::kTiming) = kDefaultTiming;
    At(CfgAddr::kStartCharacter) = kDefaultStartCharacter;
    m_additional = Additional{};
}

int ConfigStore::Get(uint8_t address) const {
    return IsConfigAddress(address) ? m_config[address - CfgAddr::kFirst] : -1;
}

int ConfigStore::GetSaved(uint8_t address) const {
    return IsConfigAddress(address) ? m_saved[address - CfgAddr::kFirst] : -1;
}

void ConfigStore::Restart() {
    m_config = m_saved;
    m_additional = m_savedAdditional;
    m_lineAddress = m_saved[CfgAddr::kNode - CfgAddr::kFirst];
}

bool ConfigStore::Execute(uint8_t code, const uint8_t* args, size_t count, Bodies& answers) {
    switch (code) {
        case Cmd::kResetAll:
            // The defaults replace the working values only; the line address, like everything
            // else, changes at the next start, and only if the defaults are saved first.
            LoadDefaults();
            break;
        case Cmd::kSetConfig:
            if (count < 2 || !SetConfig(args[0], args[1])) {
                return false;
            }
            break;
        case Cmd::kGetConfig:
            if (count < 1 || !IsConfigAddress(args[0])) {
                return false;
            }
            answers.push_back(AckBody(code, {At(args[0])}));
            return true;
        case Cmd::kSaveConfig:
            m_saved = m_config;
            m_savedAdditional = m_additional;
            break;
        case Cmd::kAdditional:
            return ExecuteAdditional(args, count, answers);
        default:
            return false;
    }
    answers.push_back(AckBody(code));
    return true;
}

bool ConfigStore::SetConfig(uint8_t address, uint8_t value) {
    if (!IsConfigAddress(address)) {
        return false;
    }
    switch (address) {
        case CfgAddr::kNode:
            if (!IsUsableNode(value)) {
                return false;
            }
            break;
        case CfgAddr::kMode:
            if (value > kMaxMode) {
                return false;
            }
            break;
        case CfgAddr::kHdxBlock:
            if (value > kMaxHdxBlock) {
                return false;
            }
            break;
        case CfgAddr::kTiming:
            if (value > kMaxTiming) {
                return false;
            }
            break;
        default:
            break;
    }
    At(address) = value;
    return true;
}

std::vector<uint8_t> ConfigStore::AdditionalBlock() const {
    const Additional& a = m_additional;
    std::vector<uint8_t> body = AckBody(Cmd::kAdditional, {Sub60::kGetAdditional});
    AppendWord(body, a.permanentBreak);
    AppendWord(body, a.permanentBursts);
    body.push_back(a.permanentReads);
    body.push_back(a.permanentActive);
    AppendWord(body, a.switchOffTime);
    body.push_back(m_config[CfgAddr::kSyncLevel - CfgAddr::kFirst]);
    body.push_back(a.ioFlags);
    body.push_back(0x00);
    body.push_back(a.rfPower);
    body.push_back(a.bluetoothMode);
    body.insert(body.end(), a.customFormat.begin(), a.customFormat.end());
    body.push_back(a.accessLevel);
    AppendWord(body, a.doubleReadTime);
    body.push_back(a.displayInfo);
    return body;
}

bool ConfigStore::ExecuteAdditional(const uint8_t* args, size_t count, Bodies& answers) {
    if (count < 1) {
        return false;
    }
    const uint8_t sub = args[0];
    const uint8_t* p = args + 1;
    const size_t n = count - 1;
    // Parameters are checked in full before anything is stored, so a refused request changes
    // nothing and the tool reports a failure instead of a success that did not happen.
    Additional a = m_additional;
    const auto need = [n](size_t bytes) { return n >= bytes; };
    switch (sub) {
        case Sub60::kSetPermanentRead:
            if (!need(6)) {
                return false;
            }
            a.permanentBreak = Word(p);
            a.permanentBursts = Word(p + 2);
            a.permanentReads = p[4];
            a.permanentActive = p[5];
            break;
        case Sub60::kGetPermanentRead: {
            // This one answer comes under the service code, with the sub-code repeated.
            std::vector<uint8_t> body = AckBody(Cmd::kService, {sub});
            AppendWord(body, a.permanentBreak);
            AppendWord(body, a.permanentBursts);
            body.push_back(a.permanentReads);
            body.push_back(a.permanentActive);
            answers.push_back(std::move(body));
            return true;
        }
        case Sub60::kSetRfPower:
            if (!need(1)) {
                return false;
            }
            a.rfPower = p[0];
            break;
        case Sub60::kGetAdditional:
            answers.push_back(AdditionalBlock());
            return true;
        case Sub60::kSetSwitchOffTime:
            if (!need(2) || Word(p) < kMinSwitchOffTime || Word(p) > kMaxSwitchOffTime) {
                return false;
            }
            a.switchOffTime = Word(p);
            break;
        case Sub60::kSetIoConfig:
            if (!need(1)) {
                return false;
            }
            a.ioFlags = p[0];
            break;
        case Sub60::kSetBluetoothMode:
            if (!need(1) || p[0] > kMaxBluetoothMode) {
                return false;
            }
            a.bluetoothMode = p[0];
            break;
        case Sub60::kGetBluetoothMode:
            answers.push_back(AckBody(Cmd::kAdditional, {sub, a.bluetoothMode}));
            return true;
        case Sub60::kSetOutputFormat:
            if (!need(3)) {
                return false;
            }
            std::copy_n(p, 3, a.customFormat.begin());
            break;
        case Sub60::kGetOutputFormat:
            answers.push_back(
                AckBody(Cmd::kAdditional, {sub, a.customFormat[0], a.customFormat[1], a.customFormat[2]}));
            return true;
        case Sub60::kSetAccessLevel:
            if (!need(1) || p[0] > kMaxAccessLevel) {
                return false;
            }
            a.accessLevel = p[0];
            break;
        case Sub60::kSetDoubleRead:
            if (!need(2) || Word(p) > kMaxDoubleReadTime) {
                return false;
            }
            a.doubleReadTime = Word(p);
            break;
        case Sub60::kSetDisplayInfo:
            if (!need(1) || p[0] > kMaxDisplayInfo) {
                return false;
            }
            a.displayInfo = p[0];
            break;
        case Sub60::kSetSyncLevel:
            if (!need(1)) {
                return false;
            }
            At(CfgAddr::kSyncLevel) = p[0];
            break;
        default:
            return false;
    }
    m_additional = a;
    answers.push_back(AckBody(Cmd::kAdditional, {sub}));
    return true;
}
