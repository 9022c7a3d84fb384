#include "core/service/MemoryDlg.h"

#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <cctype>

namespace {

constexpr size_t kMaxEditText = 49;

std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    return line.substr(0, kMaxEditText);
}

// Pads on the left with "0"; false when the text is longer than width or holds a character that
// is no hexadecimal digit (which would send a byte nobody typed).
bool HexText(std::string text, size_t width, uint32_t& value) {
    if (text.size() > width) {
        return false;
    }
    text.insert(0, width - text.size(), '0');
    value = 0;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
        const int lower = std::tolower(static_cast<unsigned char>(c));
        value = value * 16 + static_cast<uint32_t>(lower <= '9' ? lower - '0' : lower - 'a' + 10);
    }
    return true;
}

// A decimal number as "%d" reads it; an empty or unreadable edit counts as -1.
int Number(const std::string& text) {
    int value = -1;
    return ParseInt(FirstLine(text), value) ? value : -1;
}

}  // namespace

CMemoryDlg::CMemoryDlg(IMainWindow& main, IPrompt& prompt) : m_main(main), m_prompt(prompt) {}

int CMemoryDlg::ParseAddress(uint16_t& address) const {
    uint32_t value = 0;
    if (!HexText(FirstLine(m_address), 4, value)) {
        m_prompt.Message(kInvalidAddress);
        return -1;
    }
    address = static_cast<uint16_t>(value);
    return 0;
}

void CMemoryDlg::SendRead(uint16_t address) {
    CTelegram request(Cmd::kReadEeprom, Format(Desc::kReadEeprom, address), kKindFrame);
    request.AppendWord(address);
    request.ClearRepeat();
    m_main.OnSendTelegram(request);
}

void CMemoryDlg::OnRead() {
    uint16_t address = 0;
    if (ParseAddress(address) == 0) {
        SendRead(address);
    }
}

void CMemoryDlg::OnWrite() {
    uint16_t address = 0;
    if (ParseAddress(address) != 0) {
        return;
    }
    uint32_t data = 0;
    const std::string text = FirstLine(m_data);
    if (text.empty() || !HexText(text, 2, data)) {
        m_prompt.Message(kInvalidData);
        return;
    }
    CTelegram request(Cmd::kWriteEeprom, Format(Desc::kWriteEeprom, address, data), kKindFrame);
    request.AppendWord(address);
    request.AppendByte(static_cast<uint8_t>(data));
    request.ClearRepeat();
    m_main.OnSendTelegram(request);
}

// An empty edit counts as -1 and must stop the dump: kept to 16 bits it would turn into the
// last line of the memory and send tens of thousands of requests nobody asked for. A line or
// dataset beyond what 16 bits address stops it as well: multiplied and cut, it would dump some
// other range (line 4096 is line 0 again) or overflow.
void CMemoryDlg::OnStartDump() {
    m_lines.Clear();
    const int first = Number(m_start);
    const int last = Number(m_end);
    const bool valid = first >= 0 && last >= first && last <= kLastLine;
    m_startAddress = valid ? static_cast<uint16_t>(first * 16) : 0;
    m_endAddress = valid ? static_cast<uint16_t>(last * 16 + 15) : 0;
    m_current = static_cast<uint16_t>(m_startAddress - 1);
    m_remaining = valid ? m_endAddress - m_startAddress + 1 : 0;
}

void CMemoryDlg::OnGetDatasets() {
    m_lines.Clear();
    const int first = Number(m_start);
    const int last = Number(m_end);
    const bool valid = first >= 0 && last >= first && last <= 0xFFFF;
    m_firstDataset = valid ? static_cast<uint16_t>(first) : 0;
    m_lastDataset = valid ? static_cast<uint16_t>(last) : 0;
    m_currentDataset = static_cast<uint16_t>(m_firstDataset - 1);
    m_datasetRemaining = valid ? m_lastDataset - m_firstDataset + 1 : 0;
}

// A dump waits for the answer to its last request before it sends the next: requests may wait
// in the main window's queue behind others, and an answer carries no address, so running ahead
// would put bytes under the wrong address. An answer that does not come within kAnswerTicks is
// given up and leaves a gap.
void CMemoryDlg::OnTick() {
    if (m_awaitedRead >= 0 && ++m_readWait > kAnswerTicks) {
        m_awaitedRead = -1;
    }
    if (m_remaining > 0 && m_awaitedRead < 0) {
        ++m_current;
        --m_remaining;
        SendRead(m_current);
        m_awaitedRead = m_current;
        m_readWait = 0;
    }
    if (m_awaitedDataset >= 0 && ++m_datasetWait > kAnswerTicks) {
        m_awaitedDataset = -1;
    }
    if (m_datasetRemaining > 0 && m_awaitedDataset < 0) {
        ++m_currentDataset;
        --m_datasetRemaining;
        CTelegram request(Cmd::kService, Desc::kReadDatasetService, kKindFrame);
        request.AppendByte(Sub9F::kReadDataset);
        request.AppendWord(m_currentDataset);
        request.ClearRepeat();
        m_main.OnSendTelegram(request);
        m_awaitedDataset = m_currentDataset;
        m_datasetWait = 0;
    }
}

void CMemoryDlg::OnResponse(const uint8_t* frame, int length) {
    // The frame ends in its CRC byte: data must lie before it.
    if (length < 6 || frame[3] != 0x06) {
        return;
    }
    if (frame[4] == Cmd::kReadEeprom && length >= 7) {
        const uint8_t value = frame[5];
        m_data = Format("%02x", value);
        // A single "Read" lands where the dump stands.
        const int32_t address = m_awaitedRead >= 0 ? m_awaitedRead : m_current;
        m_awaitedRead = -1;
        const size_t position = static_cast<size_t>(address % 16);
        m_lineBuffer[position] = value;
        if (position == 15) {
            std::string line = Format("%04x:", static_cast<uint16_t>(address - 15));
            for (const uint8_t b : m_lineBuffer) {
                line += Format(" %02x", b);
            }
            m_lines.Add(std::move(line));
        }
    } else if (frame[4] == Cmd::kService && frame[5] == Sub9F::kReadDataset && length >= 23) {
        const int32_t number = m_awaitedDataset >= 0 ? m_awaitedDataset : m_currentDataset;
        m_awaitedDataset = -1;
        // Dataset 4096 and above lie past 0xFFFF: cut to 16 bits, the line would name another.
        std::string line = Format("%04lx:", static_cast<unsigned long>(number) * 16UL);
        for (int i = 6; i < 22; ++i) {
            line += Format(" %02x", frame[i]);
        }
        m_lines.Add(std::move(line));
    }
}
