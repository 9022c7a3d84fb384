#include "core/config/ProPageEvent.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/tags/TransponderId.h"
#include "core/util/Format.h"
#include "core/util/AtomicFile.h"
#include "core/util/TextFile.h"

#include <algorithm>
#include <span>

namespace {

constexpr int kSub = 5;
constexpr int kResult = 8;
constexpr const char* kEntry = "Event entry ";
constexpr const char* kSkippedEntries = "Event entries not used, not written: ";
constexpr uint8_t kResultInUse = 0x16;
constexpr size_t kMaxListFileBytes = 64 * 1024;

std::string Without(std::string text, const std::string& part) {
    const size_t at = text.find(part);
    if (at != std::string::npos) {
        text.erase(at, part.size());
    }
    return text;
}

std::string TrimLeft(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

CProPageEvent::CProPageEvent(IMainWindow& mainWindow) : CConfigPage(mainWindow, "Events", 140) {}

void CProPageEvent::OnCreate() {
    m_strings = {"Vaccination", "Selection", "Sale"};
    m_tagText = "984 123456789012";
    m_getStep = m_clearStep = m_setStep = 0;
    m_stepWait = 0;
    CConfigPage::OnCreate();
}

std::string CProPageEvent::ListLine(int number, const std::string& tagText, int event) {
    const std::string head = Format("Event entry %2d: ", number);
    if (event < 0) {
        return head + kNotUsed;
    }
    return head + tagText + Format(";Event %d", event);
}

void CProPageEvent::Add(std::vector<std::string>& list, int& selected, const std::string& line) {
    if (list.size() >= kMaxLines) {
        list.erase(list.begin());
    }
    list.push_back(line);
    selected = static_cast<int>(list.size()) - 1;
}

void CProPageEvent::Request(uint8_t sub, int number, const std::string& status, const char* description,
                            const std::vector<uint8_t>& extra) {
    SetStatus(Format(status.c_str(), number), kRequestTicks);
    CTelegram request(Cmd::kService, Format(description, number), kKindFrame);
    request.AppendByte(sub);
    request.AppendWord(static_cast<uint16_t>(number));
    request.AppendBlock(extra.data(), static_cast<int>(extra.size()));
    SendRequest(request);
}

int CProPageEvent::CheckedNumber() {
    int number = 0;
    if (!ParseInt(m_number, number) || number < 1 || number > kDatasets) {
        Tell(Format("Invalid dataset number, valid range is 1...%d", kDatasets));
        return 0;
    }
    return number;
}

void CProPageEvent::OnReadString(int row) {
    Request(Sub9F::kReadEventString, row, "Read event string %d", Desc::kReadEventString);
}

void CProPageEvent::OnAssignString(int row) {
    if (row < 1 || row > kStrings) {
        return;
    }
    StoreView();
    const std::string text = m_strings[static_cast<size_t>(row - 1)].substr(0, kMaxText);
    std::vector<uint8_t> extra{static_cast<uint8_t>(text.size())};
    extra.insert(extra.end(), text.begin(), text.end());
    Request(Sub9F::kAssignEventString, row, "Assign event string %d", Desc::kAssignEventString, extra);
}

void CProPageEvent::OnReadDataset() {
    StoreView();
    if (const int n = CheckedNumber()) {
        Request(Sub9F::kReadEventDataset, n, "Read event dataset %d", Desc::kReadEventDataset);
    }
}

void CProPageEvent::OnClearDataset() {
    StoreView();
    if (const int n = CheckedNumber()) {
        Request(Sub9F::kClearEventDataset, n, "Clear event dataset %d", Desc::kClearEventDataset);
    }
}

void CProPageEvent::OnAssignDataset() {
    StoreView();
    const int n = CheckedNumber();
    if (n == 0) {
        return;
    }
    std::array<uint8_t, 8> code{};
    if (CTransponderId::EncodeTagText(m_tagText, code) != 0) {
        Tell(kInvalidTag);
        return;
    }
    int event = 0;
    if (!ParseInt(m_event, event) || event < 1 || event > kStrings) {
        Tell(Format("Invalid event number, valid range is 1...%d", kStrings));
        return;
    }
    std::vector<uint8_t> extra(code.begin(), code.end());
    extra.push_back(static_cast<uint8_t>(event));
    Request(Sub9F::kAssignEventDataset, n, "Assign event dataset %d", Desc::kAssignEventDataset, extra);
}

void CProPageEvent::OnClearTransponders() {
    m_transponders.clear();
    m_selectedTransponder = -1;
    UpdateView();
}

void CProPageEvent::OnSelectTransponder(int index) {
    if (index >= 0 && index < static_cast<int>(m_transponders.size())) {
        m_selectedTransponder = index;
        m_tagText = m_transponders[static_cast<size_t>(index)];
        UpdateView();
    }
}

// A list sequence takes over the page's one pending request: its steps wait for their own
// answers, not for one the user asked for before.
void CProPageEvent::OnListGet() {
    m_eventList.clear();
    m_selectedEvent = -1;
    EndRequest();
    m_getStep = 1;
    UpdateView();
}

void CProPageEvent::OnListClear() {
    if (Prompt() != nullptr && Prompt()->YesNo(kClearQuestion)) {
        EndRequest();
        // The list fills with the cleared entries as the reader confirms them.
        m_eventList.clear();
        m_selectedEvent = -1;
        m_clearStep = 1;
        UpdateView();
    }
}

void CProPageEvent::OnListSet() {
    if (m_eventList.size() >= static_cast<size_t>(kDatasets)) {
        EndRequest();
        m_skipped.clear();
        m_setStep = 1;
    }
}

void CProPageEvent::OnListSave() {
    if (Prompt() == nullptr) {
        return;
    }
    const std::tm t = m_clock();
    std::string path = Prompt()->SaveFileNameProposing(
        kFilter, Format("eventlist_%02d%02d%04d_%02d%02d%02d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
                        t.tm_hour, t.tm_min, t.tm_sec));
    if (path.empty()) {
        return;
    }
    if (path.find(".txt") == std::string::npos) {
        path += ".txt";
    }
    std::string text = "Corvantelle event list\r\n" +
                       Format("Date: %02d:%02d:%02d\r\n", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
    for (const auto& line : m_eventList) {
        text += line + "\r\n";
    }
    std::string error;
    if (!WriteFileAtomically(path, text, error)) {
        Prompt()->Message("Event list not saved", error);
    }
}

void CProPageEvent::OnListLoad() {
    m_eventList.clear();
    m_selectedEvent = -1;
    const std::string path = Prompt() != nullptr ? Prompt()->OpenFileName(kFilter) : std::string();
    std::vector<std::string> lines;
    // An event list is 30 short lines; anything far larger is not one.
    if (!path.empty() && !TextFile::ReadLines(path, lines, kMaxListFileBytes)) {
        Prompt()->Message("Cannot read " + path);
    }
    for (const auto& line : lines) {
        if (line.find("Event") != std::string::npos) {
            Add(m_eventList, m_selectedEvent, line);
        }
    }
    UpdateView();
}

bool CProPageEvent::FillFromLine(int line) {
    if (line < 1 || line > kDatasets) {
        Tell(Format("Invalid event entry number, valid range is 1...%d", kDatasets));
        return false;
    }
    if (line > static_cast<int>(m_eventList.size())) {
        return false;
    }
    m_selectedEvent = line - 1;
    std::string text = Without(m_eventList[static_cast<size_t>(line - 1)], kEntry);
    int number = 0;
    ParseInt(text, number);
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    text = TrimLeft(text.substr(colon + 1));
    const std::string tag = text.substr(0, 16);
    text = TrimLeft(Without(text.substr(tag.size()), ";Event"));
    int event = 0;
    const bool unused = tag.rfind(kNotUsed, 0) == 0;
    // Checked here, before the spin boxes see them: they would clamp entry 31 to 30 and event 4
    // to 3, and Assign would then overwrite another dataset.
    if (number < 1 || number > kDatasets) {
        Tell(Format("Invalid dataset number, valid range is 1...%d", kDatasets));
        return false;
    }
    if (!unused && (!ParseInt(text, event) || event < 1 || event > kStrings)) {
        Tell(Format("Invalid event number, valid range is 1...%d", kStrings));
        return false;
    }
    m_number = Format("%d", number);
    if (!unused) {
        m_event = Format("%d", event);
    }
    m_tagText = tag;
    UpdateView();
    return true;
}

bool CProPageEvent::IsUnusedLine(int line) const {
    if (line < 1 || line > static_cast<int>(m_eventList.size())) {
        return false;
    }
    const std::string& text = m_eventList[static_cast<size_t>(line - 1)];
    const size_t colon = text.find(':');
    return colon != std::string::npos && TrimLeft(text.substr(colon + 1)).rfind(kNotUsed, 0) == 0;
}

void CProPageEvent::OnGiveUp() {
    m_getStep = m_clearStep = m_setStep = 0;
    CConfigPage::OnGiveUp();
}

void CProPageEvent::AfterRepetition(bool idle) {
    // A message of the running sequence is answered before the next step can raise another.
    if (Prompt() != nullptr && Prompt()->IsMessageOpen()) {
        return;
    }
    // The next step waits for the answer to this one: moving on while it is repeated would leave
    // a dataset out of the list, or take its late answer for the next one's.
    if (!idle) {
        return;
    }
    if (m_stepWait > 0) {
        --m_stepWait;
        return;
    }
    if (m_getStep > kDatasets) {
        m_getStep = 0;
        return;
    }
    if (m_getStep > 0) {
        Request(Sub9F::kReadEventDataset, m_getStep++, "Read event dataset %d", Desc::kReadEventDataset);
        m_stepWait = kGetWait;
        return;
    }
    if (m_clearStep > kDatasets) {
        m_clearStep = 0;
        return;
    }
    if (m_clearStep > 0) {
        Request(Sub9F::kClearEventDataset, m_clearStep++, "Clear event entry %d", Desc::kClearEventEntry);
        m_stepWait = kStepWait;
        return;
    }
    if (m_setStep > kDatasets) {
        m_setStep = 0;
        // One message for them all: a box for each of 28 unused entries helps nobody.
        if (!m_skipped.empty()) {
            Tell(kSkippedEntries + m_skipped);
            m_skipped.clear();
        }
        return;
    }
    if (m_setStep > 0) {
        const int line = m_setStep++;
        if (IsUnusedLine(line)) {
            m_skipped += (m_skipped.empty() ? "" : ", ") + Format("%d", line);
            m_selectedEvent = line - 1;
            UpdateView();
        } else if (FillFromLine(line)) {
            OnAssignDataset();
        }
        m_stepWait = kStepWait;
    }
}

void CProPageEvent::HandleTagData(int length, const uint8_t* frame) {
    CTransponderId id;
    id.DecodeTagData(std::span<const uint8_t>(frame, static_cast<size_t>(length)));
    const std::string country = id.GetCountryCode();
    const std::string line = (country.size() > 1 ? country.substr(1) : country) + " " + id.GetNationalId();
    Add(m_transponders, m_selectedTransponder, line);
    m_tagText = line;
    UpdateView();
}

void CProPageEvent::HandleAnswer(int length, const uint8_t* frame) {
    if (frame[4] != Cmd::kService) {
        HandleResetAnswer(length, frame);
        return;
    }
    // Sub-code, number, result and the CRC byte.
    if (length < kResult + 2) {
        return;
    }
    const int n = frame[6] << 8 | frame[7];
    const bool done = frame[kResult] == CFrameParser::kAck;
    switch (frame[kSub]) {
        case Sub9F::kReadEventDataset: {
            // While the list is read, only the answer for the dataset asked last ends its request;
            // a late one for an earlier dataset is already in the list.
            const bool listing = m_getStep > 0;
            if (listing && n != m_getStep - 1) {
                break;
            }
            const bool next = listing && m_eventList.size() == static_cast<size_t>(n - 1);
            // An answer after the request was given up must not turn the failure shown into a
            // success: the list it belonged to stopped short.
            const bool pending = Retries() > 0;
            m_number = Format("%d", n);
            EndRequest();
            if (pending) {
                SetStatus(SuccessText(), kAnswerTicks);
            }
            // The ISO code, the event number and the CRC byte.
            if (done && length >= 19) {
                CTransponderId id;
                id.DecodeTagRecord(std::span<const uint8_t, 9>(frame + 9, 9));
                const std::string country = id.GetCountryCode();
                m_tagText = country.substr(1) + " " + id.GetNationalId();
                m_event = Format("%d", frame[17]);
                if (next) {
                    Add(m_eventList, m_selectedEvent, ListLine(n, m_tagText, frame[17]));
                }
            } else {
                m_tagText = kNotUsed;
                if (next) {
                    Add(m_eventList, m_selectedEvent, ListLine(n, {}, -1));
                }
            }
            break;
        }
        case Sub9F::kAssignEventDataset:
            EndRequest();
            if (done) {
                SetStatus(SuccessText(), kAnswerTicks);
                if (n + 1 <= kDatasets) {
                    m_number = Format("%d", n + 1);
                }
            } else {
                SetStatus(FailedText(), kAnswerTicks);
                // The reader says why; the number alone cannot tell.
                Tell(frame[kResult] == kResultInUse ? "Event already in use" : "Event out of range");
            }
            break;
        case Sub9F::kClearEventDataset:
            if (done) {
                EndRequest();
                SetStatus(SuccessText(), kAnswerTicks);
                if (m_clearStep > 0 && m_eventList.size() == static_cast<size_t>(n - 1)) {
                    Add(m_eventList, m_selectedEvent, ListLine(n, {}, -1));
                }
            }
            m_number = Format("%d", n);
            break;
        case Sub9F::kReadEventString:
            if (done) {
                EndRequest();
                SetStatus(SuccessText(), kAnswerTicks);
                const int count = length > 10 ? std::min<int>(frame[9], length - 11) : 0;
                if (n >= 1 && n <= kStrings && count >= 0) {
                    m_strings[static_cast<size_t>(n - 1)].assign(
                        reinterpret_cast<const char*>(frame + 10),
                        std::min<size_t>(static_cast<size_t>(count), kMaxText));
                }
            }
            break;
        case Sub9F::kAssignEventString:
            if (done) {
                EndRequest();
                SetStatus(SuccessText(), kAnswerTicks);
            }
            break;
        default:
            break;
    }
    UpdateView();
}
