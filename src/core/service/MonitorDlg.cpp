#include "core/service/MonitorDlg.h"

#include "core/util/Format.h"

#include "core/link/Commands.h"
#include "core/util/TextFile.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace {

constexpr uint8_t kLf = 0x0A;

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

CMonitorDlg::CMonitorDlg(IMainWindow& main, std::function<int64_t()> clock)
    : m_main(main), m_clock(clock ? std::move(clock) : std::function<int64_t()>(SteadyMs)) {}

std::string CMonitorDlg::ByteText(uint8_t b, bool ascii) {
    if (!ascii) {
        return Format("%02x ", b);
    }
    switch (b) {
        case 0x01:
            return "<SOH>";
        case 0x02:
            return "<STX>";
        case 0x03:
            return "<ETX>";
        case 0x06:
            return "<ACK>";
        case 0x0A:
            return "<LF>";
        case 0x0D:
            return "<CR>";
        case 0x10:
            return "<DLE>";
        default:
            break;
    }
    if (b >= 0x20 && b <= 0x7E) {
        return std::string(1, static_cast<char>(b));
    }
    return Format(" 0x%02x ", b);
}

void CMonitorDlg::Emit(std::string& pending, int64_t& stamp, uint16_t& mark, const std::string& suffix) {
    m_lines.Add(pending + suffix, stamp, mark);
    pending.clear();
    stamp = -1;
    mark = LineMark(kReceived, kNoCommand);
}

void CMonitorDlg::OnRxBytes(const uint8_t* bytes, int count) {
    count = std::clamp(count, 0, kMaxBatch);
    if (m_paused) {
        m_pausedBytes += count;
        Hold(false, std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count)));
        return;
    }
    const bool ascii = m_ascii;
    const int64_t now = Now();
    int64_t stamp = -1;
    // A line that named a frame keeps its kind when it is taken back to be continued.
    uint16_t mark = LineMark(kReceived, kNoCommand);
    // A transmit line is complete as it is: what comes back starts a line of its own, so an
    // answer is never shown as part of the request.
    bool afterTransmit = m_lastIsTransmit;
    std::string pending = afterTransmit ? std::string() : m_lines.TakeLast(&stamp, &mark);
    m_lastIsTransmit = false;
    if (stamp < 0) {
        stamp = now;
    }
    for (int i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (stamp < 0) {
            stamp = now;
        }
        // Inside a frame 0x0A is a data byte (the code of "get SNR", a length, a CRC): ending the
        // line there would cut the frame in two and leave it unnamed.
        if (b == kLf && m_newLine && m_parser.IsInFrame() == 0) {
            pending += ascii ? "<LF>" : "0a ";
            Emit(pending, stamp, mark);
            continue;
        }
        if (b == CFrameParser::kStx && m_parser.IsEscapePending() == 0) {
            // Right after a transmit line there is no line of received bytes to close.
            if (!(afterTransmit && pending.empty())) {
                Emit(pending, stamp, mark);
            }
            stamp = now;
            m_parser.PutByte(b);
            pending = ascii ? "<STX>" : "02 ";
        } else {
            pending += ByteText(b, ascii);
            if (m_parser.PutByte(b) == CFrameParser::kGood) {
                std::string name;
                const uint8_t code = m_parser.GetAnswerName(name);
                if (m_frameNamer && code != 0xFF) {
                    name = m_frameNamer(m_parser.Frame());
                }
                mark = LineMark(code == 0xFF ? kReceived : kReceivedFrame, code);
                Emit(pending, stamp, mark, name);
            }
        }
        if (pending.size() >= kSplitAt) {
            Emit(pending, stamp, mark);
        }
        afterTransmit = false;
    }
    if (!pending.empty() || m_newLine) {
        m_lines.Add(std::move(pending), stamp < 0 ? now : stamp, mark);
    }
}

void CMonitorDlg::OnTxBytes(const std::string& text) {
    if (m_paused) {
        ++m_pausedTx;
        Hold(true, text);
        return;
    }
    m_lines.Add(text, Now(), LineMark(kTransmitted, TransmittedCommand(text)));
    m_lastIsTransmit = true;
    if (m_lines.Size() > kTransmitTrimAbove) {
        m_lines.DropFront(kTransmitTrim);
    }
}

void CMonitorDlg::OnClear() {
    m_lines.Clear();
    m_lastIsTransmit = false;
    m_held.clear();
    m_heldBytes = 0;
    m_droppedBytes = 0;
    m_droppedTx = 0;
}

void CMonitorDlg::OnQuit() {
    m_main.OnMainCommand(MainCommand::kWindowClosing, Resource::kMonitor);
}

void CMonitorDlg::SetPaused(bool paused) {
    if (paused == m_paused) {
        return;
    }
    m_paused = paused;
    if (paused) {
        m_pausedBytes = 0;
        m_pausedTx = 0;
        return;
    }
    // In the order it came, each at the time it came; the parser meets the bytes as it would have.
    std::deque<Held> held = std::move(m_held);
    m_held.clear();
    m_heldBytes = 0;
    if (m_droppedBytes != 0 || m_droppedTx != 0) {
        m_lines.Add(Format("... paused: the first %lld bytes received and %d requests sent did not fit and "
                           "are not shown",
                           m_droppedBytes, m_droppedTx),
                    held.empty() ? m_clock() : held.front().stamp, LineMark(kNote, kNoCommand));
        m_lastIsTransmit = true;
        m_droppedBytes = 0;
        m_droppedTx = 0;
    }
    for (const Held& h : held) {
        m_replayStamp = h.stamp;
        if (h.transmit) {
            OnTxBytes(h.data);
        } else {
            OnRxBytes(reinterpret_cast<const uint8_t*>(h.data.data()), static_cast<int>(h.data.size()));
        }
    }
    m_replayStamp = -1;
}

void CMonitorDlg::Hold(bool transmit, std::string data) {
    m_heldBytes += data.size();
    m_held.push_back({transmit, std::move(data), m_clock()});
    while (m_heldBytes > kMaxHeldBytes && !m_held.empty()) {
        const Held& oldest = m_held.front();
        if (oldest.transmit) {
            ++m_droppedTx;
        } else {
            m_droppedBytes += static_cast<long long>(oldest.data.size());
        }
        m_heldBytes -= oldest.data.size();
        m_held.pop_front();
    }
}

std::string CMonitorDlg::SaveName(const std::tm& time) {
    return Format("monitor-%04d%02d%02d-%02d%02d%02d.txt", time.tm_year + 1900, time.tm_mon + 1, time.tm_mday,
                  time.tm_hour, time.tm_min, time.tm_sec);
}

std::string CMonitorDlg::WithTextExtension(const std::string& path) {
    return path.empty() || TextFile::HasExtension(path) ? path : path + ".txt";
}

std::string CMonitorDlg::StampedLine(const std::string& text, int64_t stamp) {
    if (stamp < 0) {
        return text;
    }
    const long long ms = stamp % (24LL * 3600 * 1000);
    return Format("%02lld:%02lld:%02lld.%03lld  ", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000) +
           text;
}

std::string CMonitorDlg::Text(size_t from, size_t to, bool stamps) const {
    std::string text;
    to = std::min(to, m_lines.Size());
    for (size_t i = from; i < to; ++i) {
        text += stamps ? StampedLine(m_lines.At(i), m_lines.StampAt(i)) : m_lines.At(i);
        text += '\n';
    }
    return text;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The hex tokens of a traffic text from its start, as long as they are "xx ".
std::vector<uint8_t> LeadingHexBytes(const std::string& text, size_t most) {
    std::vector<uint8_t> bytes;
    for (size_t at = 0; at + 2 < text.size() && bytes.size() < most && text[at + 2] == ' '; at += 3) {
        const int high = HexValue(text[at]);
        const int low = HexValue(text[at + 1]);
        if (high < 0 || low < 0) {
            break;
        }
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

bool ContainsNoCase(const std::string& haystack, const std::string& lowerNeedle) {
    const auto it =
        std::search(haystack.begin(), haystack.end(), lowerNeedle.begin(), lowerNeedle.end(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    return it != haystack.end();
}

// Hex text matches only from the start of a byte: "2 01" must not find "02 01".
bool ContainsHex(const std::string& line, const std::string& hex) {
    for (size_t at = line.find(hex); at != std::string::npos; at = line.find(hex, at + 1)) {
        if (at == 0 || line[at - 1] == ' ') {
            return true;
        }
    }
    return false;
}

}  // namespace

uint8_t CMonitorDlg::TransmittedCommand(const std::string& text) {
    // Leading zeros wake the line; then STX, node address, marker, command.
    const std::vector<uint8_t> bytes = LeadingHexBytes(text, 16);
    size_t at = 0;
    while (at < bytes.size() && bytes[at] == 0x00) {
        ++at;
    }
    if (at + 3 < bytes.size() && bytes[at] == CFrameParser::kStx && bytes[at + 2] == CFrameParser::kMarker) {
        return bytes[at + 3];
    }
    return kNoCommand;
}

void CMonitorDlg::SetFilter(Filter filter, uint8_t command) {
    m_filter = filter;
    m_filterCommand = filter == Filter::kCommand ? command : kNoCommand;
}

bool CMonitorDlg::Shows(size_t index) const {
    const uint16_t mark = m_lines.MarkAt(index);
    const auto kind = static_cast<LineKind>(mark >> 8);
    switch (m_filter) {
        case Filter::kAll:
            return true;
        case Filter::kTransmitted:
            return kind == kTransmitted;
        case Filter::kReceivedFrames:
            return kind == kReceivedFrame;
        case Filter::kCommand:
            return (kind == kTransmitted || kind == kReceivedFrame) && (mark & 0xFF) == m_filterCommand;
    }
    return true;
}

std::vector<std::pair<uint8_t, std::string>> CMonitorDlg::FilterCommands() {
    // Commands the tool sends whose answers the name table does not name.
    constexpr uint8_t kUnnamed[] = {Cmd::kSetClock,          Cmd::kGetClock,       Cmd::kSetLcdContrast,
                                    Cmd::kSetLcdTemperature, Cmd::kReadEeprom,     Cmd::kWriteEeprom,
                                    Cmd::kDatasets,          Cmd::kRouteBluetooth, Cmd::kShowEvent,
                                    Cmd::kAdditional,        Cmd::kService,        Cmd::kStoreTagData,
                                    Cmd::kStartBootloader};
    std::vector<std::pair<uint8_t, std::string>> commands;
    for (int code = 0; code < 0xFF; ++code) {
        std::string name = CFrameParser::CommandName(static_cast<uint8_t>(code));
        const bool unnamed = std::find(std::begin(kUnnamed), std::end(kUnnamed), code) != std::end(kUnnamed);
        if (name != " unknown ") {
            commands.emplace_back(static_cast<uint8_t>(code), name.substr(1, name.size() - 2));
        } else if (unnamed) {
            commands.emplace_back(static_cast<uint8_t>(code), Format("command %02x", code));
        }
    }
    return commands;
}

int CMonitorDlg::SetSearch(const std::string& query, bool hex) {
    m_needle.clear();
    m_asciiNeedle.clear();
    m_matchNumber = SIZE_MAX;
    if (!hex) {
        for (const char c : query) {
            m_needle.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
        return 0;
    }
    std::vector<uint8_t> bytes;
    size_t at = 0;
    while (at < query.size()) {
        const size_t begin = query.find_first_not_of(" ,", at);
        if (begin == std::string::npos) {
            break;
        }
        const size_t end = std::min(query.find_first_of(" ,", begin), query.size());
        std::string token = query.substr(begin, end - begin);
        at = end;
        if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
            token.erase(0, 2);
        }
        if (token.empty() || (token.size() > 2 && token.size() % 2 != 0)) {
            return -1;
        }
        if (token.size() == 1) {
            token.insert(token.begin(), '0');
        }
        for (size_t i = 0; i < token.size(); i += 2) {
            const int high = HexValue(token[i]);
            const int low = HexValue(token[i + 1]);
            if (high < 0 || low < 0) {
                return -1;
            }
            bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        }
    }
    for (const uint8_t b : bytes) {
        m_needle += Format("%02x ", b);
        m_asciiNeedle += ByteText(b, true);
    }
    if (!m_needle.empty()) {
        m_needle.pop_back();  // the last byte may end its line without a blank after it
    }
    return 0;
}

bool CMonitorDlg::Matches(size_t index) const {
    if (m_needle.empty()) {
        return false;
    }
    const std::string& line = m_lines.At(index);
    if (m_asciiNeedle.empty()) {
        return ContainsNoCase(line, m_needle);
    }
    return ContainsHex(line, m_needle) || line.find(m_asciiNeedle) != std::string::npos;
}

long long CMonitorDlg::Step(bool forward) {
    const size_t count = m_lines.Size();
    if (m_needle.empty() || count == 0) {
        return -1;
    }
    const size_t first = m_lines.FirstNumber();
    // Without a current match the first step finds the oldest (forward) or the newest line.
    size_t index = 0;
    if (m_matchNumber != SIZE_MAX && m_matchNumber >= first && m_matchNumber < first + count) {
        index = m_matchNumber - first;
    } else {
        index = forward ? count - 1 : 0;
    }
    for (size_t n = 0; n < count; ++n) {
        index = forward ? (index + 1) % count : (index + count - 1) % count;
        if (Shows(index) && Matches(index)) {
            m_matchNumber = first + index;
            return static_cast<long long>(index);
        }
    }
    m_matchNumber = SIZE_MAX;
    return -1;
}

long long CMonitorDlg::CurrentMatch() const {
    const size_t first = m_lines.FirstNumber();
    if (m_matchNumber == SIZE_MAX || m_matchNumber < first || m_matchNumber >= m_lines.EndNumber()) {
        return -1;
    }
    return static_cast<long long>(m_matchNumber - first);
}

size_t CMonitorDlg::MatchCount() const {
    size_t n = 0;
    for (size_t i = 0; i < m_lines.Size(); ++i) {
        n += Shows(i) && Matches(i) ? 1 : 0;
    }
    return n;
}
