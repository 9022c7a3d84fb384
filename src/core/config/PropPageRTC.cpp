#include "core/config/PropPageRTC.h"

#include "core/link/Commands.h"
#include "core/util/Format.h"

CPropPageRTC::CPropPageRTC(IMainWindow& mainWindow)
    : CConfigPage(mainWindow, "RealTimeClock", 141), m_clock(&CPropPageRTC::LocalNow) {}

std::tm CPropPageRTC::LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

void CPropPageRTC::OnCreate() {
    CConfigPage::OnCreate();
    FillFromClock();
    UpdateView();
}

void CPropPageRTC::FillFromClock() {
    const std::tm t = m_clock();
    int year = (t.tm_year + 1900 - 2000) % 100;
    if (year < 0) {
        year += 100;
    }
    m_fields[kSeconds] = Format("%02d", t.tm_sec);
    m_fields[kMinutes] = Format("%02d", t.tm_min);
    m_fields[kHours] = Format("%02d", t.tm_hour);
    m_fields[kDayOfWeek] = Format("%02d", t.tm_wday + 1);  // the reader counts Sunday as 1
    m_fields[kDay] = Format("%02d", t.tm_mday);
    m_fields[kMonth] = Format("%02d", t.tm_mon + 1);
    m_fields[kYear] = Format("%02d", year);
}

uint8_t CPropPageRTC::FieldByte(const std::string& text) {
    unsigned int value = 0;
    if (Scan(text, "%x", &value) != 1) {
        return 0xFF;  // the reader's mark for "not set"
    }
    return static_cast<uint8_t>(value);
}

std::string CPropPageRTC::ByteField(uint8_t value) {
    std::string text(2, '0');
    text[0] = static_cast<char>('0' + (value >> 4));
    text[1] = static_cast<char>('0' + (value & 0x0F));
    return text;
}

void CPropPageRTC::OnSync() {
    FillFromClock();
    UpdateView();
    OnSet();
}

bool CPropPageRTC::CheckFields() {
    // The reader refuses an impossible time, and repeating it would not help: it is refused here,
    // with the field that is wrong.
    static constexpr int kLow[kFieldCount] = {0, 0, 0, 1, 1, 1, 0};
    static constexpr int kHigh[kFieldCount] = {59, 59, 23, 7, 31, 12, 99};
    for (int i = 0; i < kFieldCount; ++i) {
        const std::string& text = m_fields[static_cast<size_t>(i)];
        const bool digits =
            !text.empty() && text.size() <= 2 && text.find_first_not_of("0123456789") == std::string::npos;
        const int value = digits ? std::stoi(text) : -1;
        if (value < kLow[i] || value > kHigh[i]) {
            std::string caption = kFieldCaptions[static_cast<size_t>(i)];
            caption.pop_back();
            Tell(caption + Format(" %02d to %02d", kLow[i], kHigh[i]));
            return false;
        }
    }
    return true;
}

void CPropPageRTC::OnSet() {
    StoreView();
    if (!CheckFields()) {
        return;
    }
    SetStatus("Set time request", kRequestTicks);
    CTelegram request(Cmd::kSetClock, Desc::kSetClock, kKindFrame);
    for (const std::string& field : m_fields) {
        request.AppendByte(FieldByte(field));
    }
    SendRequest(request);
}

void CPropPageRTC::OnGet() {
    SetStatus("Get time request", kRequestTicks);
    SendRequest(CTelegram(Cmd::kGetClock, Desc::kGetClock, kKindFrame));
}

void CPropPageRTC::HandleAnswer(int length, const uint8_t* frame) {
    const bool ack = IsAck(length, frame);
    switch (frame[4]) {
        case Cmd::kSetClock:
            EndRequest();
            if (ack) {
                SetStatus(SuccessText(), kAnswerTicks);
            } else {
                // A refusal is the reader's answer: asking again would be refused again.
                SetStatus(FailedText() + kRefusedText, kAnswerTicks);
            }
            break;
        case Cmd::kGetClock:
            // A short answer carries no clock; its missing bytes must not fill the fields.
            if (DataCount(length) >= kFieldCount) {
                for (int i = 0; i < kFieldCount; ++i) {
                    m_fields[static_cast<size_t>(i)] = ByteField(frame[5 + i]);
                }
                UpdateView();
            }
            if (ack) {
                EndRequest();
                SetStatus(SuccessText(), kAnswerTicks);
            }
            break;
        default:
            HandleResetAnswer(length, frame);
            break;
    }
}
