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

// What a field gives when it holds no value to send.
constexpr int kEmpty = -1;
constexpr int kNotUnderstood = -2;

constexpr const char* kTimeoutTooLarge = "Timeout greater 25500 ms not possible";
constexpr const char* kDelayTooLarge = "Delay time greater 12750 ms not possible";
constexpr const char* kStartTooLarge = "Start character greater 255 not possible";
constexpr const char* kNodeTooLarge = "Node greater 255 not possible";
constexpr const char* kTimeoutNotUnderstood = "Timeout: milliseconds as a whole number";
constexpr const char* kDelayNotUnderstood = "Delay time: milliseconds as a whole number";
constexpr const char* kStartNotUnderstood = "Start character: one character, 0 to 255 or 0x00 to 0xff";
constexpr const char* kNodeNotUnderstood = "Node: a hex number such as 01 or 0x1f";

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

// Digits of the given base only; kEmpty or kNotUnderstood otherwise. The value is not
// truncated, so that the caller can refuse what does not fit into a byte.
int FieldNumber(const std::string& text, int base = 10) {
    if (text.empty()) {
        return kEmpty;
    }
    const size_t first = text.find_first_not_of('0');
    if (first == std::string::npos) {
        return 0;
    }
    int value = 0;
    for (size_t i = first; i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0 || digit >= base) {
            return kNotUnderstood;
        }
        value = i - first < kMaxDigits ? value * base + digit : kTooLarge;
    }
    return value;
}

// Node and block are shown as hex, so they are read as hex too, with or without "0x": a value
// read from the reader and set again must reach the same address.
int FieldHex(const std::string& text) {
    const bool prefixed = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (prefixed && text.size() == 2) {
        return kNotUnderstood;
    }
    return FieldNumber(prefixed ? text.substr(2) : text, 16);
}

// A millisecond field in the reader's units.
int FieldUnits(const std::string& text, int unit) {
    const int ms = FieldNumber(text);
    return ms < 0 ? ms : ms / unit;
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
        const int value = FieldNumber(upper);
        return value < 0 ? -1 : value;
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

bool CPropPageReader::Sendable(const FieldValue& field) {
    if (field.value == kEmpty) {
        return false;
    }
    // Cut to a byte, the value would go out wrong and its read-back would still match.
    if (field.value > kByteMax || field.value == kNotUnderstood) {
        ShowNotice(field.value > kByteMax ? field.tooLarge : field.notUnderstood, kAnswerTicks);
        return false;
    }
    return true;
}

CPropPageReader::FieldValue CPropPageReader::Delay() const {
    return {FieldUnits(m_controls.delay, kDelayUnit), kDelayTooLarge, kDelayNotUnderstood};
}

CPropPageReader::FieldValue CPropPageReader::Timeout() const {
    return {FieldUnits(m_controls.timeout, kTimeoutUnit), kTimeoutTooLarge, kTimeoutNotUnderstood};
}

CPropPageReader::FieldValue CPropPageReader::StartCharacter() const {
    const int value = StartCharacterValue(m_controls.startCharacter);
    return {value < 0 ? kNotUnderstood : value, kStartTooLarge, kStartNotUnderstood};
}

CPropPageReader::FieldValue CPropPageReader::Node() const {
    return {FieldHex(m_controls.node), kNodeTooLarge, kNodeNotUnderstood};
}

void CPropPageReader::SetItem(const char* status, uint8_t address, const FieldValue& field) {
    if (Sendable(field)) {
        SetStatus(status, kRequestTicks);
        StartSetJob(address, static_cast<uint8_t>(field.value));
    }
}

void CPropPageReader::OnSetDelay() {
    StoreView();
    SetItem("Set delaytime", CfgAddr::kDelay, Delay());
}

void CPropPageReader::OnSetTimeout() {
    StoreView();
    SetItem("Set timeout", CfgAddr::kTimeout, Timeout());
}

void CPropPageReader::OnSetStartCharacter() {
    StoreView();
    SetItem("Set start character", CfgAddr::kStartCharacter, StartCharacter());
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
    StartReadJob(kGetAllStatus, {CfgAddr::kFormat, CfgAddr::kNode, CfgAddr::kDelay, CfgAddr::kTimeout,
                                 CfgAddr::kStartCharacter});
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
    SetItem("Set node", CfgAddr::kNode, Node());
}

void CPropPageReader::OnSetBlock() {
    StoreView();
    const int block = FieldHex(m_controls.block);
    if (block < 0 || block > kMaxBlock) {
        return;
    }
    SetStatus("Set block", kRequestTicks);
    StartSetJob(CfgAddr::kHdxBlock, static_cast<uint8_t>(block));
}

void CPropPageReader::OnProgram() {
    StoreView();
    // Empty fields are left out; one that cannot be sent stops the whole job, so that the reader
    // is never left half programmed.
    const std::pair<uint8_t, FieldValue> items[] = {{CfgAddr::kNode, Node()},
                                                    {CfgAddr::kDelay, Delay()},
                                                    {CfgAddr::kTimeout, Timeout()},
                                                    {CfgAddr::kStartCharacter, StartCharacter()}};
    for (const auto& [address, field] : items) {
        if (field.value != kEmpty && !Sendable(field)) {
            return;
        }
    }
    SetProgressActive(true);
    SetBusy(true);
    SetStatus("Configure reader", kRequestTicks);
    ResetJobs();
    AddSetItem(CfgAddr::kFormat, FormatCode());
    for (const auto& [address, field] : items) {
        if (field.value != kEmpty) {
            AddSetItem(address, static_cast<uint8_t>(field.value));
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
    // A refused version or serial number request carries no text: taking it would show an empty
    // field as a success. It runs on into its repetition and failure instead.
    if (!ack && (frame[4] == Cmd::kVersion || frame[4] == Cmd::kGetSnr)) {
        return;
    }
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
            } else if (ack) {
                // Only an acknowledge carries a value: a refusal's byte 5 is none of the reader's.
                if (DataCount(length) >= 1) {
                    ShowReadValue(LastReadAddress(), frame[5]);
                }
                ReadJobAnswered();
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
    // What cannot be sent cannot be written or saved either: the record is refused with the
    // reason, rather than carrying a value the user never entered.
    FieldValue timeout = Timeout();
    if (timeout.value == kEmpty) {
        timeout.value = kNotUnderstood;
    }
    const FieldValue start = StartCharacter();
    if (!Sendable(timeout) || !Sendable(start)) {
        return -1;
    }
    record.format = FormatCode();
    record.timeout = static_cast<uint8_t>(timeout.value);
    record.startCharacter = static_cast<uint8_t>(start.value);
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
