#include "core/app/ReaderToolDlg.h"

#include "core/app/Dispatch.h"
#include "core/app/NodeList.h"
#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <algorithm>

namespace {

constexpr int kTagTicks = 5;
constexpr uint8_t kCaret = 0x5E;  // "^": a lone caret puts the Bluetooth module into command mode

}  // namespace

CReaderToolDlg::CReaderToolDlg(ILinkPort& port, IMainView& view, IPrompt& prompt)
    : m_port(port), m_view(view), m_prompt(prompt), m_connection(*this, port, view, prompt) {}

const std::array<uint8_t, 8>& CReaderToolDlg::TestTransponder() {
    // 984 123456789012, an FDX-B animal tag.
    static const std::array<uint8_t, 8> code{0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80};
    return code;
}

void CReaderToolDlg::Start(const AppSettings& settings, const std::vector<SystemPort>& devices) {
    StopSampling();
    m_connection.Start(settings, devices);
    ResetEngine();
    m_eventDatabaseActive = settings.eventDatabase != 0;
    auto address = static_cast<uint8_t>(settings.node);
    m_nodeIndex = NodeList::AddressToIndex(address);
    if (m_nodeIndex < 0) {
        // A control byte of the frame, or an address no reader can be set to: every request would
        // be a bad frame. "Global" reaches whatever reader is on the line.
        m_prompt.Message(
            Format("The saved node address 0x%02X cannot be used; \"Global\" (0xFF) is used "
                   "instead.",
                   address));
        address = NodeList::IndexToAddress(0);
        m_nodeIndex = 0;
    }
    m_frameParser.SetNodeAddress(address);
    UpdateStatusLine();
}

void CReaderToolDlg::Shutdown(AppSettings& settings) {
    m_sheet = nullptr;
    m_connection.Shutdown(settings);
    settings.node = m_frameParser.GetNodeAddress();
    settings.eventDatabase = m_eventDatabaseActive ? 1 : 0;
}

void CReaderToolDlg::ResetEngine() {
    m_answerRetries = 0;
    m_holdOffTicks = 0;
    m_lastCommand = 0;
    m_statusText.clear();
    m_statusTicks = 0;
    m_keepAliveTicks = 0;
}

void CReaderToolDlg::ClearStatusText() {
    // A "connected" or "tag received" text must not outlive the line it spoke of.
    m_statusText.clear();
    m_statusTicks = 0;
}

void CReaderToolDlg::StopSampling() {
    m_sample = SampleFlags{};
    m_sampleTicks = 0;
}

void CReaderToolDlg::ResetLineState() {
    // Nothing from before the gap may meet what comes after it: half a frame or tag line, a
    // request still waiting for its answer, the last frame sent to compare echoes with.
    const uint8_t node = m_frameParser.GetNodeAddress();
    m_frameParser = CFrameParser();
    m_frameParser.SetNodeAddress(node);
    m_tagLineParser.Reset();
    m_answerRetries = 0;
    m_retryTicks = 0;
    m_holdOffTicks = 0;
    m_lastTelegram.Clear();
    m_echoes.clear();
    m_timing.ForgetOutstanding();
}

void CReaderToolDlg::OnNodeSelected(int index) {
    m_nodeIndex = index;
    m_frameParser.SetNodeAddress(NodeList::IndexToAddress(index));
    UpdateStatusLine();
}

const std::string& CReaderToolDlg::UpdateStatusLine() {
    std::string line;
    if (m_port.IsOpen() != 0) {
        line = Format("%s %u baud 8N1", m_port.PortLabel().c_str(), m_port.GetBaudRate());
    } else if (Reconnect().IsWaiting()) {
        line =
            Format("Reconnecting to %s (attempt %d)", m_port.PortLabel().c_str(), Reconnect().Attempts() + 1);
    } else {
        line = "Disconnected";
    }
    line += m_eventDatabaseActive ? "    Event database active" : std::string(25, ' ');
    line += "      Node ID: ";
    const auto& entries = NodeList::Entries();
    line += (m_nodeIndex >= 0 && m_nodeIndex < static_cast<int>(entries.size()))
                ? entries[static_cast<size_t>(m_nodeIndex)]
                : std::string("none");
    line += "      " + m_statusText;
    m_statusLine = line;
    m_view.ShowStatusLine(m_statusLine);
    return m_statusLine;
}

void CReaderToolDlg::OnTestButton() {
    CTelegram request(Cmd::kShowEvent, Desc::kShowEvent, kKindFrame);
    request.AppendByte(0x00);
    request.AppendBlock(TestTransponder().data(), static_cast<int>(TestTransponder().size()));
    const std::string text = "This is an event";
    request.AppendBlock(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
    request.ClearRepeat();
    SendTelegram(request);
}

// ---- receiving ----

void CReaderToolDlg::OnPortLost() {
    m_connection.OnPortLost(NowTicksMs());
    for (const char* caption : Dispatch::kLineLostWindows) {
        if (IToolWindow* window = m_windows.Find(caption)) {
            window->OnLineLost();
        }
    }
}

void CReaderToolDlg::OnRxBytes(const uint8_t* bytes, int count) {
    for (const char* caption : Dispatch::kLineWindows) {
        if (IToolWindow* window = m_windows.Find(caption)) {
            window->OnRxBytes(bytes, count);
        }
    }
    // A window may close the port while handling a frame; the batch is still handled whole,
    // as it was already received.
    const std::vector<uint8_t> copy(bytes, bytes + count);
    for (const uint8_t b : copy) {
        if (m_tagLineParser.PutChar(b) == 1) {
            OnTagLine();
        }
        if (m_frameParser.PutByte(b) == CFrameParser::kGood) {
            OnFrame();
        }
    }
}

void CReaderToolDlg::SendToWindow(const char* caption, const uint8_t* frame, int length) {
    if (IToolWindow* window = m_windows.Find(caption)) {
        window->OnResponse(frame, length);
    }
}

void CReaderToolDlg::ShowTag(const std::string& cc, const std::string& id, const std::string& type,
                             const std::string& ev) {
    m_view.ShowTagFields(cc, id, type, ev);
}

void CReaderToolDlg::OnFrame() {
    m_holdOffTicks = 0;
    ShowStatus(kConnected, kConnectedTicks);
    const auto& received = m_frameParser.Frame();
    const std::vector<uint8_t> frame(received.begin(),
                                     received.begin() + std::min<size_t>(received.size(), kMaxRxFrame));
    if (IsEcho(frame)) {
        return;
    }
    const int length = static_cast<int>(frame.size());
    // An answer a repeated or given-up request still owed goes to the windows that watch the
    // line, but no request takes it: a 0x29 answer names no address, so the next read would take
    // it for its own value.
    const bool late = m_timing.OnFrame(frame.data(), length, NowMs()) == CLineTiming::Fate::kLate;
    for (const char* caption : Dispatch::kResponseWindows) {
        SendToWindow(caption, frame.data(), length);
    }
    if (!late) {
        for (const char* caption : Dispatch::kAnsweredWindows) {
            SendToWindow(caption, frame.data(), length);
        }
    }
    const bool sequenceRunning = m_sequence != nullptr && m_sequence->IsRunning() != 0;
    if (m_sheet != nullptr && m_pages != nullptr && !sequenceRunning && !late) {
        m_pages->AnswerPage(m_sheet->ActivePage(), length, frame.data());
    }
    const int sequenceAnswer =
        m_sequence != nullptr && !late ? m_sequence->OnAnswer(length, frame.data()) : 0;
    if (sequenceAnswer == IConfigSequence::kReadDone && m_pages != nullptr) {
        m_pages->ShowAll(m_sequence->GetReadRecord());
    }
    if ((sequenceAnswer == IConfigSequence::kReadDone || sequenceAnswer == IConfigSequence::kWriteDone) &&
        m_sheet != nullptr && m_pages != nullptr) {
        m_pages->ShowMainStatus(m_sheet->ActivePage(), sequenceAnswer == IConfigSequence::kReadDone
                                                           ? "Read configuration success"
                                                           : "Write configuration success");
    }
    // Classified from the copy: a window handling the frame may already have fed the receiver.
    const bool isTag = frame.size() >= 4 && frame[3] == CFrameParser::kTagData;
    // A tag message's byte 4 is its length, which can equal any command code.
    if (!late && !isTag && frame.size() > 4 && frame[4] == m_lastCommand) {
        m_answerRetries = 0;
    }
    const bool isClock = frame.size() > 4 && frame[3] == CFrameParser::kAck && frame[4] == Cmd::kGetClock;
    if (isTag) {
        SendToWindow(Caption::kAnimalCounter, frame.data(), length);
        if (m_lastCommand == Cmd::kGetLastId || m_lastCommand == Cmd::kGetSingleId) {
            m_answerRetries = 0;
        }
        m_lastTag.DecodeTagData(frame);
        ShowTag(m_lastTag.GetCountryCode(), m_lastTag.GetNationalId(), m_lastTag.GetTagType(),
                m_lastTag.GetEventText());
        ShowStatus(kTagReceived, kTagTicks);
        PassTagToEventDatabase(m_lastTag.GetNationalId());
        ShowEvent(m_lastTag.GetNationalId());
    } else if (isClock) {
        SendToWindow(Caption::kRealTimeClock, frame.data(), length);
    }
}

bool CReaderToolDlg::IsEcho(const std::vector<uint8_t>& frame) {
    if (frame.size() > 3 && frame[3] == CFrameParser::kTagData) {
        return false;
    }
    // Each transmission is taken back once; an echoing line returns several in order when the
    // engine sent more than one in a tick.
    const auto it = std::find(m_echoes.begin(), m_echoes.end(), frame);
    if (it == m_echoes.end()) {
        return false;
    }
    m_echoes.erase(it);
    return true;
}

void CReaderToolDlg::OnTagLine() {
    const std::string line = m_tagLineParser.GetLine();
    m_tagLineParser.Reset();
    if (line.size() < 15) {
        ShowTag({}, line, {}, {});
        PassTagToEventDatabase(line);
        return;
    }
    const std::string id = line.substr(line.size() - 12);
    ShowTag(line.substr(0, line.size() - 12), id, {}, {});
    PassTagToEventDatabase(id);
    ShowEvent(id);
}

void CReaderToolDlg::PassTagToEventDatabase(const std::string& id) {
    if (IToolWindow* window = m_windows.Find(Caption::kEventDatabase)) {
        window->ShowTag(id);
    }
}

int CReaderToolDlg::ShowEvent(const std::string& nationalId) {
    CTelegram request(Cmd::kShowEvent, Desc::kShowEvent, kKindFrame);
    request.AppendByte(0x00);
    std::array<uint8_t, 24> record{};
    if (!m_eventDatabaseActive || !m_lookupEvent || !m_lookupEvent(nationalId, record)) {
        return -1;
    }
    request.AppendBlock(record.data(), static_cast<int>(record.size()));
    request.ClearRepeat();
    EnqueueTelegram(request);
    return 0;
}

// ---- sending ----

void CReaderToolDlg::SetConfigSequence(IConfigSequence* sequence) {
    m_sequence = sequence;
    if (m_sequence != nullptr) {
        m_sequence->SetTiming(this);
    }
}

bool CReaderToolDlg::IsQueued(const CTelegram& request) const {
    return std::any_of(m_queue.begin(), m_queue.end(), [&request](const CTelegram& slot) {
        return slot.GetLength() == request.GetLength() && slot.GetLength() > 0 &&
               std::equal(slot.Data(), slot.Data() + slot.GetLength(), request.Data());
    });
}

bool CReaderToolDlg::HoldsRepeat(const CTelegram& request, bool giveUp) const {
    if (IsQueued(request)) {
        return true;
    }
    return request.GetKind() != kKindText && request.GetKind() != kKindRaw &&
           m_timing.HoldsRepeat(request.Data(), request.GetLength(), giveUp, NowMs());
}

bool CReaderToolDlg::BlocksRequest(const CTelegram& request) const {
    return request.GetKind() != kKindText && request.GetKind() != kKindRaw &&
           m_timing.Blocks(request.Data(), request.GetLength(), NowMs());
}

int CReaderToolDlg::EnqueueTelegram(const CTelegram& telegram) {
    for (auto& slot : m_queue) {
        if (slot.GetLength() == 0) {
            slot = telegram;
            return 0;
        }
    }
    return -1;
}

int CReaderToolDlg::QueuedCount() const {
    return static_cast<int>(
        std::count_if(m_queue.begin(), m_queue.end(), [](const CTelegram& t) { return t.GetLength() != 0; }));
}

int CReaderToolDlg::SendTelegram(const CTelegram& telegram) {
    if (m_port.IsOpen() == 0) {
        return -1;
    }
    TelegramRecord record;
    telegram.CopyToRecord(record);
    const int length = record.length;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::max(length + 1, CFrameParser::kMaxFrame)));
    std::copy_n(record.data.begin(), length, buffer.begin());
    m_lastCommand = record.data[0];
    if (length == 1 && record.data[0] == kCaret) {
        m_holdOffTicks = 2;
    } else if (record.data[0] == Cmd::kResetAll) {
        m_holdOffTicks = 5;
    }
    int n = 0;
    if (record.kind == kKindText) {
        n = length;
        if (record.data[0] != kCaret) {
            buffer[static_cast<size_t>(n++)] = 0x0D;
        }
    } else if (record.kind == kKindRaw) {
        n = length;
    } else {
        n = m_frameParser.BuildFrame(buffer, length, 0);
    }
    if (n == 0) {
        // A payload over 50 bytes cannot be framed: nothing goes out, and nothing is left to repeat.
        m_answerRetries = 0;
        return -1;
    }
    const bool framed = record.kind != kKindText && record.kind != kKindRaw;
    const std::string traffic =
        BuildTrafficText(record.kind, framed ? n : length, buffer.data(), record.description);
    for (const char* caption : Dispatch::kLineWindows) {
        if (IToolWindow* window = m_windows.Find(caption)) {
            window->OnTxBytes(traffic);
        }
    }
    m_port.Write(buffer.data(), n);
    if (framed) {
        // The echo as the frame receiver will deliver it: escapes undone, ETX gone.
        CFrameParser echo;
        for (int i = 0; i < n; ++i) {
            if (echo.PutByte(buffer[static_cast<size_t>(i)]) == CFrameParser::kGood) {
                m_echoes.push_back(echo.Frame());
                if (m_echoes.size() > kEchoes) {
                    m_echoes.pop_front();
                }
            }
        }
        m_timing.OnTransmit(record.data.data(), length, NowMs());
    }
    return 0;
}

std::string CReaderToolDlg::BuildTrafficText(uint8_t kind, int length, const uint8_t* buffer,
                                             const std::string& description) {
    std::string text;
    if (kind == kKindText || kind == kKindRaw) {
        for (int i = 0; i < length; ++i) {
            if (buffer[i] == 0) {
                text += "<00>";
            } else {
                text.push_back(static_cast<char>(buffer[i]));
            }
        }
        if (kind == kKindText) {
            text += "<CR>";
        }
        return text + description;
    }
    // Up to the ETX that ends the frame: a DLE takes the byte after it literally, so an escaped
    // 0x03 (a payload byte, or a CRC after its DLE) does not end the text.
    constexpr int kMaxTrafficBytes = 50;
    const int limit = std::min(length, kMaxTrafficBytes);
    for (int i = 0; i < limit; ++i) {
        text += Format("%02x ", buffer[i]);
        if (buffer[i] == CFrameParser::kDle && i >= 4 && i + 1 < limit) {
            text += Format("%02x ", buffer[++i]);
        } else if (buffer[i] == CFrameParser::kEtx && i >= 4) {
            break;
        }
    }
    return text + description;
}

void CReaderToolDlg::ShowStatus(const std::string& text, int ticks) {
    m_statusText = text;
    m_statusTicks = ticks;
    UpdateStatusLine();
}

void CReaderToolDlg::OnSendTelegram(const CTelegram& telegram) {
    EnqueueTelegram(telegram);
}

void CReaderToolDlg::OnSendNow(const CTelegram& telegram) {
    CTelegram record = telegram;
    if (record.IsRepeat() != 0) {
        m_answerRetries = 2;
    }
    record.ClearRepeat();
    m_retryTicks = kRetryTicks;
    m_lastTelegram = record;
    SendTelegram(record);
    if (m_sheet != nullptr || m_windows.IsOpen(Caption::kDatabase)) {
        m_keepAliveTicks = kKeepAliveAfterSend;
    }
}
