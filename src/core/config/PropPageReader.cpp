#include "core/config/PropPageReader.h"

#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <cctype>

namespace {

constexpr int kDelayUnit = 50;     // the reader counts the delay in 50 ms
constexpr int kTimeoutUnit = 100;  // and the timeout in 100 ms
constexpr int kMaxBlock = 17;
constexpr size_t kSerialLength = 6;

// A field holding a non-negative decimal number; false for an empty or unreadable one.
bool ReadNumber(const std::string& text, int& value) {
    int v = 0;
    if (!ParseInt(text, v) || v < 0) {
        return false;
    }
    value = v;
    return true;
}

// A field read the way the reader's own dialogs read it: no number counts as 0.
int NumberOrZero(const std::string& text) {
    int v = 0;
    return ParseInt(text, v) ? v : 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

CPropPageReader::CPropPageReader(IMainWindow& mainWindow, IPrompt& prompt)
    : CConfigJobPage(mainWindow, "Reader", 136, Pacing::kWhenIdle), m_prompt(prompt) {
    SetDefaults();
}

void CPropPageReader::SetDeveloper(bool developer) {
    m_developer = developer;
    UpdateView();
}

void CPropPageReader::SetDefaults() {
    m_controls = Controls{};
    m_controls.transponders[kFdxB] = true;
    m_controls.transponders[kHdx] = true;
    m_controls.mode = kMaster;
    m_controls.format = kAscii;
    m_controls.scpEnabled = true;
    m_controls.node = "01";
    m_controls.delay = "50";
    m_controls.block = "00";
    m_controls.timeout = "5000";
    m_controls.startCharacter = "I";
}

void CPropPageReader::OnCreate() {
    CConfigJobPage::OnCreate();
    SetDefaults();
    UpdateView();
}

uint8_t CPropPageReader::FormatCode() const {
    const int f = m_controls.format;
    uint8_t code = (f >= 0 && f < kFormatCount) ? kFormatCodes[static_cast<size_t>(f)] : kFormatCodes[kAscii];
    if (m_controls.scpChecked) {
        code |= kScpFlag;
    }
    if (m_controls.offIdChecked) {
        code |= kOffIdFlag;
    }
    if (m_controls.idTimeChecked) {
        code |= kIdTimeFlag;
    }
    return code;
}

void CPropPageReader::ShowFormatCode(uint8_t code) {
    int format = kNoFormat;
    switch (code & 0x0F) {
        case 1:
            format = kAscii;
            break;
        case 2:
            format = kByteStructure;
            break;
        case 3:
            format = kCompactCoding;
            break;
        case 4:
            format = kFrenchFramework;
            break;
        case 6:
            format = kRawData;
            break;
        case 7:
            format = (code & 0x10) != 0 ? kShortAscii16 : kShortAscii15;
            break;
        case 8:
            format = kNlis;
            break;
        case 9:
            format = kCustomFormat;
            break;
        default:
            break;
    }
    m_controls.format = format;
    m_controls.scpChecked = (code & kScpFlag) != 0;
    m_controls.offIdChecked = (code & kOffIdFlag) != 0;
    m_controls.idTimeChecked = (code & kIdTimeFlag) != 0;
}

uint8_t CPropPageReader::StartCharacterByte(const std::string& text) {
    if (text.size() == 1) {
        return static_cast<uint8_t>(text[0]);
    }
    std::string upper = text;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const size_t x = upper.find('X');
    if (x == std::string::npos) {
        return static_cast<uint8_t>(NumberOrZero(upper));
    }
    // Up to two hex digits after the X; a missing digit ends the number.
    int value = 0;
    for (size_t i = x + 1; i < upper.size() && i < x + 3; ++i) {
        const int d = HexDigit(upper[i]);
        if (d < 0) {
            break;
        }
        value = value * 16 + d;
    }
    return static_cast<uint8_t>(value);
}

std::string CPropPageReader::StartCharacterText(uint8_t value) {
    if (value < 32 || value > 126) {
        return Format("0x%02x", value);
    }
    return std::string(1, static_cast<char>(value));
}

void CPropPageReader::OnFormatChosen(int format) {
    m_controls.format = format;
    // SCP exists only for the ASCII format, so it can never go out with another one.
    if (format == kAscii) {
        m_controls.scpEnabled = true;
    } else {
        m_controls.scpChecked = false;
        m_controls.scpEnabled = false;
    }
    UpdateView();
}

void CPropPageReader::OnSetFormat() {
    StoreView();
    SetStatus("Set output format", kRequestTicks);
    StartSetJob(CfgAddr::kFormat, FormatCode());
}

void CPropPageReader::OnSetDelay() {
    StoreView();
    int value = 0;
    if (!ReadNumber(m_controls.delay, value)) {
        return;
    }
    SetStatus("Set delaytime", kRequestTicks);
    StartSetJob(CfgAddr::kDelay, static_cast<uint8_t>(value / kDelayUnit));
}

void CPropPageReader::OnSetTimeout() {
    StoreView();
    int value = 0;
    if (!ReadNumber(m_controls.timeout, value)) {
        return;
    }
    SetStatus("Set timeout", kRequestTicks);
    StartSetJob(CfgAddr::kTimeout, static_cast<uint8_t>(value / kTimeoutUnit));
}

void CPropPageReader::OnSetStartCharacter() {
    StoreView();
    SetStatus("Set start character", kRequestTicks);
    StartSetJob(CfgAddr::kStartCharacter, StartCharacterByte(m_controls.startCharacter));
}

void CPropPageReader::OnGetVersion() {
    SetStatus("Get version", kRequestTicks);
    SendRequest(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
}

void CPropPageReader::OnGetSerialNumber() {
    SetStatus("Get serial number", kRequestTicks);
    SendRequest(CTelegram(Cmd::kGetSnr, Desc::kGetSnr, kKindFrame));
}

void CPropPageReader::OnGetAll() {
    SetBusy(true);
    ResetJobs();
    SetProgressActive(true);
    AddCheckItem(CfgAddr::kFormat);
    AddCheckItem(CfgAddr::kNode);
    AddCheckItem(CfgAddr::kDelay);
    AddCheckItem(CfgAddr::kTimeout);
    AddCheckItem(CfgAddr::kStartCharacter);
    SetProgressRange(0, CheckCount() - 1);
    SetIndex(0);
    SetBusy(false);
}

void CPropPageReader::OnSetMode() {
    StoreView();
    int mode = kMaster;
    if (m_controls.mode == kSlaveRequest) {
        mode = kSlaveRequest;
    } else if (m_controls.mode == kSlaveContinuous) {
        mode = kSlaveContinuous;
    }
    SetStatus("Set mode", kRequestTicks);
    StartSetJob(CfgAddr::kMode, static_cast<uint8_t>(mode));
}

void CPropPageReader::OnSetNode() {
    StoreView();
    SetStatus("Set node", kRequestTicks);
    StartSetJob(CfgAddr::kNode, static_cast<uint8_t>(NumberOrZero(m_controls.node)));
}

void CPropPageReader::OnSetBlock() {
    StoreView();
    const auto block = static_cast<uint8_t>(NumberOrZero(m_controls.block));
    if (block > kMaxBlock) {
        return;
    }
    SetStatus("Set block", kRequestTicks);
    StartSetJob(CfgAddr::kHdxBlock, block);
}

void CPropPageReader::OnProgram() {
    StoreView();
    SetProgressActive(true);
    SetBusy(true);
    SetStatus("Configure reader", kRequestTicks);
    ResetJobs();
    AddSetItem(CfgAddr::kFormat, FormatCode());
    int value = 0;
    if (!m_controls.node.empty()) {
        AddSetItem(CfgAddr::kNode, static_cast<uint8_t>(NumberOrZero(m_controls.node)));
    }
    if (ReadNumber(m_controls.delay, value)) {
        AddSetItem(CfgAddr::kDelay, static_cast<uint8_t>(value / kDelayUnit));
    }
    if (ReadNumber(m_controls.timeout, value)) {
        AddSetItem(CfgAddr::kTimeout, static_cast<uint8_t>(value / kTimeoutUnit));
    }
    AddSetItem(CfgAddr::kStartCharacter, StartCharacterByte(m_controls.startCharacter));
    SetStorePending(true);
    SetProgressRange(0, 2 * SetCount() + 1);
    SetIndex(0);
    SetBusy(false);
}

void CPropPageReader::OnSetSerialNumber() {
    StoreView();
    const std::string& text = m_controls.serialNumber;
    if (text.empty() || text.size() > kSerialLength) {
        return;
    }
    const std::string padded = std::string(kSerialLength - text.size(), '0') + text;
    CTelegram request(Cmd::kSetSnr, Desc::kSetSnr, kKindFrame);
    request.AppendBlock(reinterpret_cast<const uint8_t*>(padded.data()), static_cast<int>(padded.size()));
    if (!m_prompt.YesNo("Sure to set serial number?")) {
        return;
    }
    SetStatus("Set serial number", kRequestTicks);
    SendRequest(request);
}

void CPropPageReader::OnAnswer(int length, const uint8_t* frame) {
    if (frame == nullptr || length < 5 || frame[3] == Cmd::kTagData) {
        return;
    }
    const bool ack = IsAck(length, frame);
    switch (frame[4]) {
        case Cmd::kVersion:
            EndRequest();
            m_controls.version = DataText(length, frame, length);
            SetStatus(SuccessText(), kAnswerTicks);
            break;
        case Cmd::kGetSnr:
            m_controls.serialNumber = DataText(length, frame, static_cast<int>(kSerialLength));
            EndRequest();
            SetStatus(SuccessText(), kAnswerTicks);
            break;
        case Cmd::kResetAll:
            HandleResetAnswer(length, frame);
            break;
        case Cmd::kSetConfig:
            StepProgress(1);
            if (ack) {
                EndRequest();
            }
            break;
        case Cmd::kSaveConfig:
            if (ack) {
                EndRequest();
                StepProgress(1);
            }
            break;
        case Cmd::kGetConfig:
            if (ack) {
                EndRequest();
            }
            SetWaitTicks(0);
            StepProgress(1);
            if (Started()) {
                CompareReadBack(length, frame);
            } else if (DataCount(length) >= 1) {
                ShowReadValue(LastReadAddress(), frame[5]);
            }
            break;
        default:
            break;
    }
}

void CPropPageReader::ShowReadValue(int address, uint8_t value) {
    switch (address) {
        case CfgAddr::kHdxBlock:
            m_controls.block = Format("%02x", value);
            break;
        case CfgAddr::kMode:
            m_controls.mode = value <= kSlaveRequest ? static_cast<int>(value) : static_cast<int>(kNoMode);
            break;
        case CfgAddr::kFormat:
            ShowFormatCode(value);
            break;
        case CfgAddr::kTransponderTypes:
            for (size_t i = 0; i < kTransponderBits.size(); ++i) {
                m_controls.transponders[i] = (value & kTransponderBits[i]) != 0;
            }
            break;
        case CfgAddr::kTimeout:
            m_controls.timeout = Format("%d", value * kTimeoutUnit);
            break;
        case CfgAddr::kDelay:
            m_controls.delay = Format("%d", value * kDelayUnit);
            break;
        case CfgAddr::kNode:
            m_controls.node = Format("%02x", value);
            break;
        case CfgAddr::kStartCharacter:
            m_controls.startCharacter = StartCharacterText(value);
            break;
        default:
            return;
    }
    UpdateView();
}

int CPropPageReader::FillRecord(ConfigRecord& record) {
    StoreView();
    record.format = FormatCode();
    record.timeout = static_cast<uint8_t>(NumberOrZero(m_controls.timeout) / kTimeoutUnit);
    record.startCharacter = StartCharacterByte(m_controls.startCharacter);
    return 0;
}

void CPropPageReader::ShowRecord(ConfigRecord record) {
    ShowFormatCode(record.format);
    m_controls.timeout = Format("%d", record.timeout * kTimeoutUnit);
    m_controls.startCharacter = StartCharacterText(record.startCharacter);
    m_controls.version = record.version;
    m_controls.serialNumber = record.serialNumber;
    UpdateView();
}
