#include "core/service/BluetoothDlg.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/util/Format.h"

#include <algorithm>

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
// A routed line travels in one frame: 0x59, the line and CR within the 50-byte payload.
constexpr size_t kMaxRoutedLine = CFrameParser::kMaxPayload - 2;
// A text line, with room for the CR a leading CR or the main window adds.
constexpr size_t kMaxTextLine = CTelegram::kCapacity - 2;
constexpr size_t kMaxFriendlyName = 20;

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

const char* ControlName(uint8_t b) {
    switch (b) {
        case 0x01:
            return "<SOH>";
        case 0x02:
            return "<STX>";
        case 0x03:
            return "<ETX>";
        case 0x06:
            return "<ACK>";
        case 0x0D:
            return "<CR>";
        case 0x10:
            return "<DLE>";
        default:
            return nullptr;
    }
}

}  // namespace

CBluetoothDlg::CBluetoothDlg(IMainWindow& main, IPrompt& prompt) : m_main(main), m_prompt(prompt) {}

int CBluetoothDlg::SendLine(const std::string& text, const std::string& description, int lineClass) {
    const size_t limit = m_route ? kMaxRoutedLine : kMaxTextLine;
    if (text.size() > limit) {
        // Cut short, the module would carry out a command nobody typed.
        m_prompt.Message(Format("The line is %zu characters long; at most %zu can be sent%s.", text.size(),
                                limit, m_route ? " through the reader" : ""));
        return -1;
    }
    m_lastClass = lineClass;
    CTelegram record;
    record.SetDescription(description);
    record.SetKind(kKindText);
    record.AppendBlock(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
    record.ClearRepeat();
    m_answerLine.clear();
    m_capture = false;
    if (m_route) {
        record.InsertByte(0, Cmd::kRouteBluetooth);
        record.SetKind(kKindFrame);
        record.AppendByte(kCr);
    }
    m_main.OnSendTelegram(record);
    m_stopwatch.Start();
    return 0;
}

int CBluetoothDlg::SendCrLine(const std::string& text, const std::string& description, int lineClass) {
    if (text.size() > kMaxTextLine) {
        m_prompt.Message(
            Format("The line is %zu characters long; at most %zu can be sent.", text.size(), kMaxTextLine));
        return -1;
    }
    m_lastClass = lineClass;
    CTelegram record;
    record.SetKind(kKindText);
    record.SetDescription(description);
    record.AppendByte(kCr);
    record.AppendBlock(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
    record.ClearRepeat();
    m_answerLine.clear();
    m_capture = false;
    m_main.OnSendTelegram(record);
    m_stopwatch.Start();
    return 0;
}

void CBluetoothDlg::OnAt() {
    SendLine("AT", " AT request ", kClassAt);
}

void CBluetoothDlg::OnEsc() {
    for (int i = 0; i < 3; ++i) {
        SendLine("^", " ESC request ", kClassEscape);
    }
    SendLine("ATH", " Hang up request ", kClassScript);
}

void CBluetoothDlg::OnConnect() {
    SendLine("ATD" + m_connectAddress, " Connect request ", kClassDial);
}

void CBluetoothDlg::OnSend() {
    SendLine(m_command, " AT command request ", kClassFree);
}

void CBluetoothDlg::OnWlan() {
    static constexpr uint8_t kHead[] = {0x0A, 0xC0, 0x01};
    static constexpr char kCall[] = "MACADDRESS()";
    static constexpr uint8_t kTail[] = {0xC0, 0x0D};
    CTelegram record;
    record.SetKind(kKindRaw);
    record.SetDescription(Desc::kWlanTest);
    record.AppendBlock(kHead, sizeof kHead);
    record.AppendBlock(reinterpret_cast<const uint8_t*>(kCall), sizeof kCall - 1);
    record.AppendBlock(kTail, sizeof kTail);
    record.ClearRepeat();
    m_lastClass = kClassEscape;
    m_main.OnSendTelegram(record);
    m_stopwatch.Start();
}

void CBluetoothDlg::OnRegisterRead() {
    SendLine("ATS" + m_registerAddress + "?", " Register request ", kClassRegisterRead);
}

void CBluetoothDlg::OnRegisterWrite() {
    SendLine("ATS" + m_registerAddress + "=" + m_registerData, " Register request ", kClassRegisterWrite);
}

void CBluetoothDlg::OnRegisterSave() {
    SendLine("AT&W", " save S register ", kClassScript);
}

void CBluetoothDlg::OnPairingConnect() {
    SendLine("ATDR", " save S register ", kClassScript);
}

void CBluetoothDlg::OnStartPairing() {
    m_scriptName = "Pairing Mode";
    m_scriptText.clear();
    m_pairingStep = 1;
}

void CBluetoothDlg::OnAbort() {
    m_scriptName.clear();
    m_scriptText.clear();
    m_pairingStep = 0;
    m_configStep = 0;
}

void CBluetoothDlg::OnConfig() {
    m_lines.Clear();
    m_scriptName = "Configuration";
    m_scriptText = "Set friendly name";
    m_configStep = kFirstConfigStep;
    m_sentStep = 0;
    m_lateAnswers = 0;
    ShowConfigStep(kFirstConfigStep);
}

void CBluetoothDlg::OnBackground() {
    m_background = m_background == 0 ? 1 : 0;
}

void CBluetoothDlg::OnReaderRequest(uint8_t subCode) {
    const char* description = nullptr;
    switch (subCode) {
        case Sub9F::kBluetoothOn:
            description = Desc::kBluetoothOn;
            break;
        case Sub9F::kBluetoothOff:
            description = Desc::kBluetoothOff;
            break;
        case Sub9F::kConnectBluetooth:
            description = Desc::kConnectBluetooth;
            break;
        case Sub9F::kHangUpBluetooth:
            description = Desc::kHangUpBluetooth;
            break;
        case Sub9F::kStartPairing:
            description = Desc::kStartPairing;
            break;
        case Sub9F::kStartBtConnect:
            description = Desc::kStartBtConnect;
            break;
        case Sub9F::kStartBtDrop:
        case Sub9F::kStartBtDrop2:
            description = Desc::kStartBtDrop;
            break;
        case Sub9F::kGetFriendlyName:
            description = Desc::kGetFriendlyName;
            break;
        default:
            return;
    }
    CTelegram request(Cmd::kService, description, kKindFrame);
    request.AppendByte(subCode);
    request.ClearRepeat();
    m_main.OnSendTelegram(request);
}

void CBluetoothDlg::OnSetName() {
    const std::string name = FirstLine(m_command);
    if (name.empty() || name.size() > kMaxFriendlyName) {
        return;
    }
    CTelegram request(Cmd::kService, Desc::kSetFriendlyName, kKindFrame);
    request.AppendByte(Sub9F::kSetFriendlyName);
    request.AppendByte(static_cast<uint8_t>(name.size()));
    request.AppendBlock(reinterpret_cast<const uint8_t*>(name.data()), static_cast<int>(name.size()));
    request.ClearRepeat();
    m_main.OnSendTelegram(request);
}

void CBluetoothDlg::OnQuit() {
    m_main.OnMainCommand(MainCommand::kWindowClosing, Resource::kBluetooth);
}

// ---- the monitor ----

void CBluetoothDlg::OnRxBytes(const uint8_t* bytes, int count) {
    count = std::clamp(count, 0, kMaxBatch);
    // What comes back never continues the text of a transmission.
    std::string line = m_lastIsTransmit ? std::string() : m_lines.TakeLast();
    m_lastIsTransmit = false;
    for (int i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (m_simulation) {
            Simulate(b);
        }
        const bool framed = m_frames.IsInFrame() != 0 || b == CFrameParser::kStx;
        m_frames.PutByte(b);
        if (b >= 0x20 && b <= 0x7E) {
            line.push_back(static_cast<char>(b));
            if (m_capture && !framed && m_answerLine.size() < kMaxAnswer) {
                m_answerLine.push_back(static_cast<char>(b));
            }
        } else if (b == kLf && !framed) {
            if (!m_capture) {
                m_lines.Add(std::move(line));
                line.clear();
                m_answerLine.clear();
                m_capture = true;
            } else {
                m_capture = false;
                HandleAnswer(m_answerLine);
            }
            line += "<LF>";
        } else if (const char* name = ControlName(b)) {
            line += name;
        } else {
            line += Format(" 0x%02x ", b);
        }
        if (line.size() >= kSplitAt) {
            m_lines.Add(std::move(line));
            line.clear();
        }
    }
    if (!line.empty()) {
        m_lines.Add(std::move(line));
    }
    if (m_replyReady) {
        m_replyReady = false;
        m_main.OnSendNow(m_reply);
    }
    // Shown once the batch is handled: a message box runs its own event loop.
    if (!m_pendingMessage.empty()) {
        const std::string text = std::move(m_pendingMessage);
        m_pendingMessage.clear();
        m_prompt.Message(text);
    }
}

void CBluetoothDlg::OnTxBytes(const std::string& text) {
    m_lines.Add(text);
    m_lastIsTransmit = true;
    if (m_lines.Size() > 200) {
        m_lines.DropFront(100);
    }
}

void CBluetoothDlg::Simulate(uint8_t b) {
    if (b != kCr) {
        if (m_simulationLine.size() < kMaxAnswer) {
            m_simulationLine.push_back(static_cast<char>(b));
        }
        return;
    }
    const std::string line = std::move(m_simulationLine);
    m_simulationLine.clear();
    std::string answer;
    if (line == "AT") {
        answer = "OK";
    } else if (line == "AT+BTN?") {
        answer = kSimulatedName;
    } else {
        return;
    }
    m_reply = CTelegram();
    m_reply.SetKind(kKindText);
    m_reply.SetDescription(" answer ");
    const std::string bytes = "\r\n" + answer + "\r\n";
    m_reply.AppendBlock(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
    m_replyReady = true;
}
