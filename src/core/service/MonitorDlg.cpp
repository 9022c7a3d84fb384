#include "core/service/MonitorDlg.h"

#include "core/util/Format.h"

#include <algorithm>
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

void CMonitorDlg::Emit(std::string& pending, int64_t& stamp, const std::string& suffix) {
    m_lines.Add(pending + suffix, stamp);
    pending.clear();
    stamp = -1;
}

void CMonitorDlg::OnRxBytes(const uint8_t* bytes, int count) {
    count = std::clamp(count, 0, kMaxBatch);
    if (m_paused) {
        // The receiver keeps step, so a frame that straddles the pause is still named after it.
        for (int i = 0; i < count; ++i) {
            if (!(bytes[i] == kLf && m_newLine)) {
                m_parser.PutByte(bytes[i]);
            }
        }
        m_pausedBytes += count;
        return;
    }
    const bool ascii = m_ascii;
    const int64_t now = m_clock();
    int64_t stamp = -1;
    // A transmit line is complete as it is: what comes back starts a line of its own, so an
    // answer is never shown as part of the request.
    bool afterTransmit = m_lastIsTransmit;
    std::string pending = afterTransmit ? std::string() : m_lines.TakeLast(&stamp);
    m_lastIsTransmit = false;
    if (stamp < 0) {
        stamp = now;
    }
    for (int i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (stamp < 0) {
            stamp = now;
        }
        if (b == kLf && m_newLine) {
            pending += ascii ? "<LF>" : "0a ";
            Emit(pending, stamp);
            continue;
        }
        if (b == CFrameParser::kStx && m_parser.IsEscapePending() == 0) {
            // Right after a transmit line there is no line of received bytes to close.
            if (!(afterTransmit && pending.empty())) {
                Emit(pending, stamp);
            }
            stamp = now;
            m_parser.PutByte(b);
            pending = ascii ? "<STX>" : "02 ";
        } else {
            pending += ByteText(b, ascii);
            if (m_parser.PutByte(b) == CFrameParser::kGood) {
                std::string name;
                m_parser.GetAnswerName(name);
                Emit(pending, stamp, name);
            }
        }
        if (pending.size() >= kSplitAt) {
            Emit(pending, stamp);
        }
        afterTransmit = false;
    }
    if (!pending.empty() || m_newLine) {
        m_lines.Add(std::move(pending), stamp < 0 ? now : stamp);
    }
}

void CMonitorDlg::OnTxBytes(const std::string& text) {
    if (m_paused) {
        ++m_pausedTx;
        return;
    }
    m_lines.Add(text, m_clock());
    m_lastIsTransmit = true;
    if (m_lines.Size() > kTransmitTrimAbove) {
        m_lines.DropFront(kTransmitTrim);
    }
}

void CMonitorDlg::OnClear() {
    m_lines.Clear();
    m_lastIsTransmit = false;
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
    if (m_pausedBytes != 0 || m_pausedTx != 0) {
        m_lines.Add(Format("... paused: %lld bytes received, %d requests sent", m_pausedBytes, m_pausedTx),
                    m_clock());
        m_lastIsTransmit = true;
    }
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
