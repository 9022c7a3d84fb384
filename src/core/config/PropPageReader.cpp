#include "core/config/PropPageReader.h"

#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <cctype>
#include <utility>

namespace {

constexpr int kDelayUnit = 50;     // the reader counts the delay in 50 ms
constexpr int kTimeoutUnit = 100;  // and the timeout in 100 ms
constexpr int kMaxBlock = 17;
constexpr int kByteMax = 0xFF;
constexpr size_t kSerialLength = 6;
// Longer texts of digits are too large for any field, whatever their value.
constexpr size_t kMaxDigits = 6;
constexpr int kTooLarge = 1000000;

constexpr const char* kTimeoutTooLarge = "Timeout greater 25500 ms not possible";
constexpr const char* kDelayTooLarge = "Delay time greater 12750 ms not possible";
constexpr const char* kStartTooLarge = "Start character greater 255 not possible";
constexpr const char* kNodeTooLarge = "Node greater 255 not possible";

// A field of decimal digits only; -1 when it is empty or holds anything else. The value is not
// truncated, so that the caller can refuse what does not fit into a byte.
int FieldNumber(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    const size_t first = text.find_first_not_of('0');
    if (first == std::string::npos) {
        return 0;
    }
    if (text.size() - first > kMaxDigits) {
        return kTooLarge;
    }
    int value = 0;
    return ParseInt(text.substr(first), value) ? value : -1;
}

// A millisecond field in the reader's units, or -1.
int FieldUnits(const std::string& text, int unit) {
    const int ms = FieldNumber(text);
    return ms < 0 ? -1 : ms / unit;
}

bool FitsByte(int value) {
    return value >= 0 && value <= kByteMax;
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
    // As when the user chooses the format: SCP belongs to ASCII only.
    m_controls.scpEnabled = format == kAscii;
    m_controls.scpChecked = (code & kScpFlag) != 0;
    m_controls.offIdChecked = (code & kOffIdFlag) != 0;
    m_controls.idTimeChecked = (code & kIdTimeFlag) != 0;
}

int CPropPageReader::StartCharacterValue(const std::string& text) {
    // An empty field is the reader's "no start character", 0.
    if (text.empty()) {
        return 0;
    }
    if (text.size() == 1) {
        return static_cast<uint8_t>(text[0]);
    }
    std::string upper = text;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const size_t x = upper.find('X');
    if (x == std::string::npos) {
        return FieldNumber(upper);
    }
    // Up to two hex digits after the X; a missing digit ends the number.
    int value = 0;
    int digits = 0;
    for (size_t i = x + 1; i < upper.size() && i < x + 3; ++i) {
        const int d = HexDigit(upper[i]);
        if (d < 0) {
            break;
        }
        value = value * 16 + d;
        ++digits;
    }
    return digits > 0 ? value : -1;
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

bool CPropPageReader::Sendable(int value, const char* tooLarge) {
    if (value < 0) {
        return false;
    }
    // Cut to a byte, the value would go out wrong and its read-back would still match.
    if (value > kByteMax) {
        ShowNotice(tooLarge, kAnswerTicks);
        return false;
    }
    return true;
}

void CPropPageReader::OnSetDelay() {
    StoreView();
    const int units = FieldUnits(m_controls.delay, kDelayUnit);
    if (!Sendable(units, kDelayTooLarge)) {
        return;
    }
    SetStatus("Set delaytime", kRequestTicks);
    StartSetJob(CfgAddr::kDelay, static_cast<uint8_t>(units));
}

void CPropPageReader::OnSetTimeout() {
    StoreView();
    const int units = FieldUnits(m_controls.timeout, kTimeoutUnit);
    if (!Sendable(units, kTimeoutTooLarge)) {
        return;
    }
    SetStatus("Set timeout", kRequestTicks);
    StartSetJob(CfgAddr::kTimeout, static_cast<uint8_t>(units));
}

void CPropPageReader::OnSetStartCharacter() {
    StoreView();
    const int value = StartCharacterValue(m_controls.startCharacter);
    if (!Sendable(value, kStartTooLarge)) {
        return;
    }
    SetStatus("Set start character", kRequestTicks);
    StartSetJob(CfgAddr::kStartCharacter, static_cast<uint8_t>(value));
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
    const int node = FieldNumber(m_controls.node);
    if (!Sendable(node, kNodeTooLarge)) {
        return;
    }
    SetStatus("Set node", kRequestTicks);
    StartSetJob(CfgAddr::kNode, static_cast<uint8_t>(node));
}

void CPropPageReader::OnSetBlock() {
    StoreView();
    const int block = FieldNumber(m_controls.block);
    if (block < 0 || block > kMaxBlock) {
        return;
    }
    SetStatus("Set block", kRequestTicks);
    StartSetJob(CfgAddr::kHdxBlock, static_cast<uint8_t>(block));
}

void CPropPageReader::OnProgram() {
    StoreView();
    // Fields that are empty or unreadable are left out; one that is too large stops the whole
    // job, so that the reader is never left half programmed.
    const int node = FieldNumber(m_controls.node);
    const int delay = FieldUnits(m_controls.delay, kDelayUnit);
    const int timeout = FieldUnits(m_controls.timeout, kTimeoutUnit);
    const int start = StartCharacterValue(m_controls.startCharacter);
    const std::pair<int, const char*> checks[] = {
        {node, kNodeTooLarge}, {delay, kDelayTooLarge}, {timeout, kTimeoutTooLarge}, {start, kStartTooLarge}};
    for (const auto& [value, tooLarge] : checks) {
        if (value > kByteMax) {
            ShowNotice(tooLarge, kAnswerTicks);
            return;
        }
    }
    SetProgressActive(true);
    SetBusy(true);
    SetStatus("Configure reader", kRequestTicks);
    ResetJobs();
    AddSetItem(CfgAddr::kFormat, FormatCode());
    const std::pair<uint8_t, int> items[] = {{CfgAddr::kNode, node},
                                             {CfgAddr::kDelay, delay},
                                             {CfgAddr::kTimeout, timeout},
                                             {CfgAddr::kStartCharacter, start}};
    for (const auto& [address, value] : items) {
        if (FitsByte(value)) {
            AddSetItem(address, static_cast<uint8_t>(value));
        }
    }
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

void CPropPageReader::HandleAnswer(int length, const uint8_t* frame) {
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
    // What cannot be sent cannot be stored either: the record keeps its value.
    const int timeout = FieldUnits(m_controls.timeout, kTimeoutUnit);
    if (FitsByte(timeout)) {
        record.timeout = static_cast<uint8_t>(timeout);
    }
    const int start = StartCharacterValue(m_controls.startCharacter);
    if (FitsByte(start)) {
        record.startCharacter = static_cast<uint8_t>(start);
    }
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
