#include "core/tags/DatabaseDlg.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/tags/TransponderId.h"
#include "core/util/Format.h"
#include "core/util/TextFile.h"

#include <span>

namespace {

constexpr size_t kRecordSize = 13;
constexpr int kAnswerCode = 4;
constexpr int kSubCode = 5;
constexpr int kResult = 8;
constexpr int kRecord = 9;

std::string DateHeader(const std::tm& t) {
    return Format("Date: %02d:%02d:%02d\r\n", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
}

uint32_t Stamp(const uint8_t* record) {
    return (static_cast<uint32_t>(record[9]) << 24) | (static_cast<uint32_t>(record[10]) << 16) |
           (static_cast<uint32_t>(record[11]) << 8) | record[12];
}

std::string DateText(uint32_t w) {
    // The reader keeps no year; files already in use carry the fixed 07.
    return Format("%02u:%02u:07", (w >> 4) & 0x1F, w & 0x0F);
}

std::string TimeText(uint32_t w) {
    return Format("%02u:%02u:%02u", (w >> 9) & 0x1F, (w >> 14) & 0x7F, (w >> 21) & 0x7F);
}

std::string Cut(std::string text) {
    if (text.size() > CDatabaseDlg::kMaxField) {
        text.resize(CDatabaseDlg::kMaxField);
    }
    return text;
}

}  // namespace

CDatabaseDlg::CDatabaseDlg(IMainWindow& mainWindow, IPrompt& prompt)
    : m_mainWindow(mainWindow), m_prompt(prompt) {}

CDatabaseDlg::~CDatabaseDlg() {
    // Nobody is left to tell; what was read stays under the temporary name.
    if (m_output.IsOpen()) {
        m_output.Keep();
    }
}

bool CDatabaseDlg::IsGroupMarker(const uint8_t* record) {
    for (size_t i = 0; i < 9; ++i) {
        if (record[i] != 0) {
            return false;
        }
    }
    return true;
}

std::string CDatabaseDlg::FileHeader(const std::tm& date) {
    return std::string(kFileTitle) + "\r\n" + DateHeader(date);
}

std::string CDatabaseDlg::DatasetLine(const uint8_t* record) {
    CTransponderId id;
    id.DecodeTagRecord(std::span<const uint8_t, 9>(record, 9));
    const uint32_t w = Stamp(record);
    return id.GetCountryCode() + "," + id.GetNationalId() + "," + id.GetTagType() + "," + DateText(w) + "," +
           TimeText(w);
}

void CDatabaseDlg::Send(uint8_t subCode, int number, bool now) {
    std::string description = Desc::kGetAmountOfDatasets;
    if (subCode == Sub58::kReadDataset) {
        description = Format(Desc::kReadDataset, number);
    } else if (subCode == Sub58::kClearAll) {
        description = Desc::kClearAllDatasets;
    }
    CTelegram request(Cmd::kDatasets, description, kKindFrame);
    request.AppendByte(subCode);
    if (number >= 0) {
        request.AppendWord(static_cast<uint16_t>(number));
    }
    request.ClearRepeat();
    m_lastRequest = request;
    if (now) {
        m_mainWindow.OnSendNow(request);
    } else {
        m_mainWindow.OnSendTelegram(request);
    }
}

void CDatabaseDlg::SendNextNow() {
    // The tick still repeats it if this answer is lost.
    m_waitTicks = kWaitTicks;
    m_progressPosition = m_progressPosition + 1 >= m_progressHigh ? 0 : m_progressPosition + 1;
    Send(Sub58::kReadDataset, m_current, true);
}

void CDatabaseDlg::OnGet() {
    Send(Sub58::kGetAmount);
}

void CDatabaseDlg::OnRead() {
    Store();
    long long value = 65535;
    const std::string text = Cut(m_number);
    if (Scan(text, "%lld", &value) != 1) {
        value = 65535;
    }
    const int number = static_cast<int>(((value % 65536) + 65536) % 65536);
    if (number == 0 || number > kMaxNumber) {
        m_prompt.Message(Format("Invalid dataset number, valid range is 1...%d", kMaxNumber));
        return;
    }
    Send(Sub58::kReadDataset, number);
}

void CDatabaseDlg::OnClear() {
    if (m_prompt.YesNo(kClearQuestion)) {
        Send(Sub58::kClearAll);
    }
}

void CDatabaseDlg::OnGetAll() {
    Store();
    CloseOutput(false);
    m_partialPath.clear();
    const std::tm t = m_clock();
    const std::string proposed = Format("database_%02d%02d%04d_%02d%02d%02d", t.tm_mday, t.tm_mon + 1,
                                        t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    std::string path = m_prompt.SaveFileNameProposing(kFilter, proposed);
    m_fileCounter = 1;
    if (!path.empty()) {
        m_extension = ".txt";
        if (m_keepExtension && TextFile::HasExtension(path)) {
            const size_t dot = path.rfind('.');
            m_extension = path.substr(dot);
            path.erase(dot);
        } else {
            for (auto at = path.find(".txt"); at != std::string::npos; at = path.find(".txt")) {
                path.erase(at, 4);
            }
        }
        m_baseName = path;
        OpenOutput();
    }
    m_groupCounter = 0;
    m_retries = kRetries;
    m_current = 0;
    m_readState = kWaitAmount;
    m_end = End::kNone;
    m_lines.clear();
    m_selected = -1;
    m_progressText = "Asking for the amount of datasets";
    Update();
}

bool CDatabaseDlg::OpenOutput() {
    std::string name = m_baseName;
    if (m_newFilePerGroup) {
        name += "_" + Cut(m_separation) + Format("_%03d", m_fileCounter++);
    }
    name += m_extension;
    if (!m_output.Open(name)) {
        m_prompt.Message("Datasets are read without a file", m_output.Error());
        return false;
    }
    WriteOutput(FileHeader(m_clock()), "");
    return true;
}

void CDatabaseDlg::WriteOutput(const std::string& line, const char* end) {
    if (!m_output.IsOpen() || m_output.Write(line + end)) {
        return;
    }
    // A full disk is told now, not after the reader was read to the end for nothing.
    if (m_readState != kIdle) {
        Finish("Datasets file not saved", End::kWriteFailed);
    } else {
        CloseOutput(false);
    }
}

void CDatabaseDlg::CloseOutput(bool complete, const std::string& why) {
    if (!m_output.IsOpen()) {
        return;
    }
    const bool failed = m_output.Failed();
    if (complete && !failed) {
        if (!m_output.Commit()) {
            m_prompt.Message("Datasets file not saved", m_output.Error());
        }
        return;
    }
    const std::string reason = failed ? m_output.Error() + ". " : why.empty() ? why : why + ". ";
    if (m_output.Keep()) {
        m_partialPath = m_output.TemporaryPath();
        m_prompt.Message(failed ? "Datasets file not saved" : kPartialFile,
                         reason + "What was read is in " + m_partialPath);
    } else {
        m_prompt.Message("Datasets file not saved", m_output.Error());
    }
}

void CDatabaseDlg::OnOpen() {
    m_lines.clear();
    m_selected = -1;
    // What the last read-all said is not about the file about to be shown.
    if (m_readState == kIdle) {
        m_progressText.clear();
        m_progressPosition = 0;
    }
    const std::string path = m_prompt.OpenFileName(kFilter);
    if (!path.empty()) {
        m_input.close();
        m_input.clear();
        m_input.open(path, std::ios::binary);
        if (!m_input) {
            m_prompt.Message("Cannot read " + path);
            Update();
            return;
        }
        if (!StartsAsDatasets()) {
            m_input.close();
            m_prompt.Message(Format("%s: %s", kNotDatasets, path.c_str()),
                             Format("A datasets file starts with the line \"%s\".", kFileTitle));
            Update();
            return;
        }
    }
    // Without a new choice, a file still open shows its next lines.
    std::string line;
    for (int n = 0; n < kOpenLines && m_input.is_open() && TextFile::GetLine(m_input, line); ++n) {
        AddLine(TextFile::TrimRight(line));
    }
    Update();
}

bool CDatabaseDlg::StartsAsDatasets() {
    // Only the title is compared, so that a file with any binary content is not read as lines.
    std::string first(std::char_traits<char>::length(kFileTitle), '\0');
    const bool titled =
        m_input.read(first.data(), static_cast<std::streamsize>(first.size())) && first == kFileTitle;
    m_input.clear();
    m_input.seekg(0);
    return titled;
}

void CDatabaseDlg::OnStop() {
    if (m_readState == kIdle) {
        return;
    }
    Finish(Format("Stopped after dataset %d of %d", Done(), m_total), End::kStopped);
}

void CDatabaseDlg::OnLineLost() {
    if (m_readState == kIdle) {
        return;
    }
    m_waitTicks = 0;
    const std::string text = m_readState == kWaitAmount
                                 ? std::string(kLineLost) + " before the amount of datasets came"
                                 : Format("%s after dataset %d of %d", kLineLost, Done(), m_total);
    Finish(text, End::kLineLost, kLineLost);
}

void CDatabaseDlg::Finish(const std::string& progressText, End end, const std::string& reason) {
    m_readState = kIdle;
    m_end = end;
    m_progressHigh = 1;
    m_progressPosition = 0;
    m_progressText = progressText;
    CloseOutput(end == End::kComplete, reason);
    Update();
}

void CDatabaseDlg::OnQuit() {
    m_mainWindow.OnMainCommand(MainCommand::kWindowClosing, Resource::kDatabase);
    m_input.close();
    CloseOutput(m_readState == kIdle && m_end == End::kComplete);
}

void CDatabaseDlg::OnTick() {
    if (m_waitTicks > 0) {
        --m_waitTicks;
        return;
    }
    if (m_readState == kIdle) {
        return;
    }
    // A request still waiting in the queue, or on a line slower than the tick's pace, is neither
    // asked again nor given up yet.
    const IRequestTiming* timing = m_mainWindow.Timing();
    if (timing != nullptr && timing->HoldsRepeat(m_lastRequest, m_retries == 0)) {
        return;
    }
    if (m_retries == 0) {
        Finish(kCommunicationError, End::kNoAnswer);
        m_prompt.Message(kCommunicationError);
        return;
    }
    --m_retries;
    if (m_readState == kWaitAmount) {
        Send(Sub58::kGetAmount);
    } else {
        m_progressPosition = m_progressPosition + 1 >= m_progressHigh ? 0 : m_progressPosition + 1;
        m_progressText = Format("Reading dataset %d of %d", m_current, m_total);
        Send(Sub58::kReadDataset, m_current);
        Update();
    }
    m_waitTicks = kWaitTicks;
}

void CDatabaseDlg::OnResponse(const uint8_t* frame, int length) {
    if (frame == nullptr || length < 7 || length > kMaxAnswer || frame[3] != CFrameParser::kAck ||
        frame[kAnswerCode] != Cmd::kDatasets) {
        return;
    }
    if (frame[kSubCode] == Sub58::kGetAmount) {
        HandleAmount(frame, length);
    } else if (frame[kSubCode] == Sub58::kReadDataset) {
        HandleDataset(frame, length);
    }
}

void CDatabaseDlg::HandleAmount(const uint8_t* frame, int length) {
    // Bytes 6 and 7 and the CRC byte.
    if (length < 9) {
        return;
    }
    const uint16_t amount = static_cast<uint16_t>((frame[6] << 8) | frame[7]);
    m_amountText = Format("%u", amount);
    // Only while waiting for it: a late second answer must not start the reading over.
    if (m_readState == kWaitAmount) {
        m_total = amount;
        m_retries = kRetries;
        m_current = 1;
        m_readState = kReading;
        if (amount == 0) {
            Finish("No datasets stored", End::kComplete);
            return;
        }
        m_progressHigh = amount;
        m_progressPosition = 0;
        if (m_fast) {
            SendNextNow();
        }
    }
    Update();
}

void CDatabaseDlg::HandleDataset(const uint8_t* frame, int length) {
    if (length < kResult + 2) {
        return;
    }
    const uint16_t number = static_cast<uint16_t>((frame[6] << 8) | frame[7]);
    m_number = Format("%u", number);
    // A late answer to a repeated request names a dataset already handled: taking it again would
    // write it twice and skip the next one.
    const bool forReadAll = m_readState == kReading && number == m_current;
    if (frame[kResult] != CFrameParser::kAck) {
        const int stored = length >= kRecord + 3 ? (frame[kRecord] << 8) | frame[kRecord + 1] : 0;
        const std::string text = Format("Dataset number out of range, datasets stored: %d", stored);
        if (forReadAll) {
            // The memory changed under the read-all; asking 20 times more would not help.
            Finish(text, End::kOutOfRange);
        }
        Update();
        m_prompt.Message(text);
        return;
    }
    if (length < kRecord + static_cast<int>(kRecordSize) + 1) {
        Update();
        return;
    }
    const uint8_t* record = frame + kRecord;
    const bool marker = IsGroupMarker(record);
    if (!marker) {
        ShowRecord(record);
    }
    if (!forReadAll) {
        Update();
        return;
    }
    m_waitTicks = 0;
    const std::string separation = Cut(m_separation);
    if (number == 1) {
        ++m_groupCounter;
        const std::string first = separation + Format(" %d", m_groupCounter);
        AddReadAllLine(first, number, nullptr);
        if (!m_newFilePerGroup) {
            WriteOutput(first);
        }
    }
    std::string line;
    if (marker) {
        ++m_groupCounter;
        line = separation + Format(" %d", m_groupCounter);
    } else {
        line = DatasetLine(record);
    }
    AddReadAllLine(line, number, marker ? nullptr : record);
    if (m_output.IsOpen()) {
        if (marker && m_newFilePerGroup) {
            CloseOutput(true);
            OpenOutput();
        } else {
            WriteOutput(line);
        }
    }
    if (m_readState == kIdle) {
        // The file failed under the read-all, which has ended.
        Update();
        return;
    }
    ++m_current;
    m_retries = kRetries;
    if (m_current > m_total) {
        Finish(Format("Read %d datasets", m_total), End::kComplete);
        return;
    }
    m_progressText = Format("Reading dataset %d of %d", m_current, m_total);
    if (m_fast) {
        SendNextNow();
    }
    Update();
}

void CDatabaseDlg::ShowRecord(const uint8_t* record) {
    CTransponderId id;
    id.DecodeTagRecord(std::span<const uint8_t, 9>(record, 9));
    m_countryCode = id.GetCountryCode();
    m_id = id.GetNationalId();
    m_tagType = id.GetTagType();
    const uint32_t w = Stamp(record);
    m_date = DateText(w);
    m_time = TimeText(w);
    int country = 0;
    m_countryName = m_countryNames && ParseInt(m_countryCode, country) ? m_countryNames(country) : "";
}

void CDatabaseDlg::AddLine(const std::string& line) {
    m_lines.push_back(line);
    m_selected = static_cast<int>(m_lines.size()) - 1;
}

void CDatabaseDlg::AddReadAllLine(const std::string& line, int number, const uint8_t* record) {
    AddLine(line);
    if (m_lineObserver) {
        m_lineObserver(ReadAllLine{line, number, m_groupCounter, record});
    }
}

void CDatabaseDlg::Update() {
    if (m_view != nullptr) {
        m_view->UpdateControls();
    }
}

void CDatabaseDlg::Store() {
    if (m_view != nullptr) {
        m_view->StoreControls();
    }
}
