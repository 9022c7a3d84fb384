#include "core/config/PropPageOutputFormat.h"

#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <cctype>

namespace {

constexpr const char* kDontSend = "Don't send";
constexpr const char* kSend = "Send";
constexpr const char* kCharacterNotSendable = "Initial character: one character, 0 to 255 or 0x00 to 0xff";
constexpr int kFrameWithValue = 10;  // up to byte 8 and the CRC byte

std::vector<std::pair<const char*, int>> SendChoice() {
    return {{kDontSend, 0}, {kSend, 1}};
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

const std::array<CPropPageOutputFormat::ListInfo, CPropPageOutputFormat::kListCount>&
CPropPageOutputFormat::Lists() {
    static const std::array<ListInfo, kListCount> lists = {{
        {"ID Code:", 0, 1, {{"Formatted", 1}, {"Unformatted", 0}}},
        {"Number Format:", 1, 1, {{"Decimal", 0}, {"Hexadecimal", 1}}},
        {"Tag Type ID:", 2, 2, {{"Allflexx Style", 1}, {"Tiris Style", 2}, {"None", 0}}},
        {"Reserved Field:", 4, 1, SendChoice()},
        {"Retagging Counter:", 5, 1, SendChoice()},
        {"User Code:", 6, 1, SendChoice()},
        {"Data Block Flag:", 7, 1, SendChoice()},
        {"Extended Code:", 8, 1, SendChoice()},
        {"Country Code:", 9, 1, {{"ISO Alphanumeric", 0}, {"Numeric", 1}}},
        {"Leading Zeros:", 10, 1, SendChoice()},
        {"Command Prompt:", 11, 1, {{"No Prompt", 0}, {"Send Prompt", 1}}},
        {"Animal Flag:", 12, 1, SendChoice()},
        {"Field Delemiter:",
         13,
         3,
         {{"Tabulator", 1}, {"Semicolon \";\"", 2}, {"Comma \",\"", 3}, {"Space", 4}, {"None", 0}}},
        {"Initial Character:",
         16,
         8,
         {{"#", 0x23},
          {"L (TI Line MODE)", 0x4C},
          {"X (TI Execute Mode)", 0x58},
          {"G (TI Gate Mode)", 0x47},
          {"Self defined", -1},
          {"None", 0}}},
    }};
    return lists;
}

CPropPageOutputFormat::CPropPageOutputFormat(IMainWindow& mainWindow)
    : CConfigPage(mainWindow, "Output format", 148) {
    m_controls.selection.fill(-1);
    m_controls.selfDefined = "0x01";
    m_controls.preview = "IIIIIIIIIIII";
}

void CPropPageOutputFormat::OnCreate() {
    CConfigPage::OnCreate();
    m_controls.selection.fill(-1);
    m_controls.selfDefined = "0x01";
    m_controls.preview = "IIIIIIIIIIII";
    UpdateView();
}

int CPropPageOutputFormat::CharacterValue(const std::string& text) {
    if (text.size() == 1) {
        return static_cast<uint8_t>(text[0]);
    }
    std::string upper = text;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const size_t x = upper.find('X');
    if (x == std::string::npos) {
        // " 65" is 65, as typed; a field without a digit is no character at all, not 0.
        size_t i = upper.find_first_not_of(' ');
        int value = 0;
        int digits = 0;
        for (; i < upper.size() && upper[i] >= '0' && upper[i] <= '9'; ++i, ++digits) {
            value = value * 10 + (upper[i] - '0');
            if (value > 255) {
                return -1;
            }
        }
        return digits > 0 || upper.empty() ? value : -1;
    }
    int value = 0;
    int digits = 0;
    for (size_t i = x + 1; i < upper.size() && i < x + 3; ++i, ++digits) {
        const int digit = HexDigit(upper[i]);
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return digits > 0 ? value : -1;
}

std::string CPropPageOutputFormat::CharacterText(uint8_t value) {
    if (value == 0) {
        return {};
    }
    if (value >= 32 && value <= 127) {
        return std::string(1, static_cast<char>(value));
    }
    return Format("<0x%02x>", value);
}

int CPropPageOutputFormat::Coding(int list) const {
    const ListInfo& info = Lists()[static_cast<size_t>(list)];
    const int selected = m_controls.selection[static_cast<size_t>(list)];
    if (selected < 0 || selected >= static_cast<int>(info.entries.size())) {
        return 0;
    }
    if (list == kInitialCharacter && selected == kSelfDefined) {
        return std::max(CharacterValue(m_controls.selfDefined), 0);
    }
    return info.entries[static_cast<size_t>(selected)].second;
}

uint32_t CPropPageOutputFormat::Value() const {
    uint32_t value = 0;
    for (int i = 0; i < kListCount; ++i) {
        const ListInfo& info = Lists()[static_cast<size_t>(i)];
        const uint32_t mask = (1U << info.bits) - 1U;
        value |= (static_cast<uint32_t>(Coding(i)) & mask) << info.shift;
    }
    return value;
}

void CPropPageOutputFormat::ShowValue(uint32_t value) {
    for (int i = 0; i < kListCount; ++i) {
        const ListInfo& info = Lists()[static_cast<size_t>(i)];
        const int coding = static_cast<int>((value >> info.shift) & ((1U << info.bits) - 1U));
        int found = -1;
        for (size_t e = 0; e < info.entries.size(); ++e) {
            if (info.entries[e].second == coding) {
                found = static_cast<int>(e);
            }
        }
        if (i == kInitialCharacter && found < 0) {
            found = kSelfDefined;
            m_controls.selfDefined = CharacterText(static_cast<uint8_t>(coding));
        }
        // A coding without an entry (tag type 3, delimiter 5 to 7) leaves the list as it was.
        if (found >= 0) {
            m_controls.selection[static_cast<size_t>(i)] = found;
        }
    }
    m_controls.preview = Preview();
}

std::string CPropPageOutputFormat::Preview() const {
    const auto selected = [this](int list) { return m_controls.selection[static_cast<size_t>(list)]; };
    // "Unformatted" is the list's second entry.
    if (selected(kIdCode) == 1) {
        return std::string(16, 'H');
    }
    std::string d;
    switch (Coding(kDelimiter)) {
        case 1:
            d = "_";
            break;
        case 2:
            d = ";";
            break;
        case 3:
            d = ",";
            break;
        case 4:
            d = " ";
            break;
        default:
            break;
    }
    std::string text = CharacterText(static_cast<uint8_t>(Coding(kInitialCharacter)));
    const auto add = [&](bool on, const char* field) {
        if (on) {
            text += field + d;
        }
    };
    add(Coding(kTagType) == 1 || Coding(kTagType) == 2, "T");
    add(Coding(kAnimalFlag) == 1, "A");
    add(Coding(kReserved) == 1, "RR");
    add(Coding(kRetagging) == 1, "C");
    add(Coding(kUserCode) == 1, "UU");
    add(Coding(kDataBlock) == 1, "D");
    add(Coding(kExtendedCode) == 1, "EEEE");
    return text + "IIIIIIIIIIII";
}

void CPropPageOutputFormat::OnSelectionChanged() {
    StoreView();
    m_controls.preview = Preview();
    UpdateView();
}

bool CPropPageOutputFormat::Sendable() {
    if (m_controls.selection[kInitialCharacter] == kSelfDefined &&
        CharacterValue(m_controls.selfDefined) < 0) {
        ShowNotice(kCharacterNotSendable, kAnswerTicks);
        return false;
    }
    return true;
}

void CPropPageOutputFormat::OnSave() {
    StoreView();
    if (!Sendable()) {
        return;
    }
    const uint32_t value = Value();
    m_controls.preview = Preview();
    SetStatus("Set output format", kRequestTicks);
    CTelegram request(Cmd::kAdditional, Desc::kSetOutputFormat, kKindFrame);
    request.AppendByte(Sub60::kSetOutputFormat);
    request.AppendByte(static_cast<uint8_t>(value & 0xFF));
    request.AppendByte(static_cast<uint8_t>((value >> 8) & 0xFF));
    request.AppendByte(static_cast<uint8_t>((value >> 16) & 0xFF));
    SendRequest(request);
}

void CPropPageOutputFormat::OnReadFormat() {
    SetStatus("Get output format", kRequestTicks);
    CTelegram request(Cmd::kAdditional, Desc::kGetOutputFormat, kKindFrame);
    request.AppendByte(Sub60::kGetOutputFormat);
    SendRequest(request);
}

void CPropPageOutputFormat::HandleAnswer(int length, const uint8_t* frame) {
    const bool ack = IsAck(length, frame);
    if (frame[4] == Cmd::kResetAll) {
        HandleResetAnswer(length, frame);
        return;
    }
    if (frame[4] != Cmd::kAdditional || length < 7) {
        return;
    }
    if (frame[5] == Sub60::kSetOutputFormat && ack) {
        EndRequest();
        SetStatus(SuccessText(), kAnswerTicks);
    } else if (frame[5] == Sub60::kGetOutputFormat) {
        if (ack) {
            EndRequest();
            SetStatus(SuccessText(), kAnswerTicks);
        }
        if (length >= kFrameWithValue) {
            ShowValue(static_cast<uint32_t>(frame[6] | (frame[7] << 8) | (frame[8] << 16)));
            UpdateView();
        }
    }
}

int CPropPageOutputFormat::FillRecord(ConfigRecord& record) {
    StoreView();
    if (!Sendable()) {
        return -1;
    }
    const uint32_t value = Value();
    record.customFormat = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
                           static_cast<uint8_t>((value >> 16) & 0xFF)};
    return 0;
}

void CPropPageOutputFormat::ShowRecord(ConfigRecord record) {
    ShowValue(static_cast<uint32_t>(record.customFormat[0] | (record.customFormat[1] << 8) |
                                    (record.customFormat[2] << 16)));
    UpdateView();
}
