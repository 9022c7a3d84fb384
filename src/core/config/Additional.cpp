#include "core/config/Additional.h"

#include "core/config/ConfigFile.h"
#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kReads = 5;  // the page always reads five times per burst
constexpr int kSlowBreak = 500;
constexpr int kBreakStep = 50;
constexpr int kBurstTime = 500;
constexpr int kMinuteMs = 60000;
constexpr int kMinSwitchOff = 5;
constexpr int kMaxSwitchOff = 600;
constexpr int kMaxDoubleReads = 5000;
constexpr int kEmptyField = 65535;  // what an empty field counts as when checked
constexpr double kMinSync = 0.1;
constexpr double kMaxSync = 5.0;
constexpr int kBlockLength = 27;  // the block's bytes up to 25 and the CRC byte
constexpr int kPermanentAnswerLength = 13;

constexpr const char* kTooSmallSwitchOff = "Values smaller 5 s not possible";
constexpr const char* kTooLargeSwitchOff = "Values greater 600 s not possible";
constexpr const char* kTooLargeDoubleReads = "Values greater 5000 not possible";
constexpr const char* kSyncNotSendable = "Wireless synchronization: 0.00 to 5.00 V";
constexpr const char* kNoAccessLevel =
    "Access level: the reader's level is none of Read only, New Group and last ID, Complete access; "
    "choose one";
constexpr const char* kReadsNotSendable = "Reads: 0 to 255";
constexpr const char* kBurstsNotSendable = "Bursts: 0 to 65535";
constexpr const char* kBreakNotSendable = "Break: 0 to 65535 ms";

// The leading digits of a field; -1 without any. Large numbers stop growing, so that no check can
// be passed by a value that wraps around.
int FieldNumber(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos || text[first] < '0' || text[first] > '9') {
        return -1;
    }
    int value = 0;
    for (size_t i = first; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), 10000000);
    }
    return value;
}

uint16_t Word(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

}  // namespace

CAdditional::CAdditional(IMainWindow& mainWindow)
    : CConfigJobPage(mainWindow, "Additional", 146, Pacing::kEveryLook) {
    SetDefaults();
}

void CAdditional::SetDeveloper(bool developer) {
    m_developer = developer;
    UpdateView();
}

void CAdditional::OnCreate() {
    CConfigJobPage::OnCreate();
    SetDefaults();
    UpdateView();
}

void CAdditional::SetDefaults() {
    m_controls = Controls{};
    m_reportedSwitchOff = m_reportedDoubleReads = Reported{};
    m_controls.highPower = false;
    m_controls.switchOff = "7";
    m_controls.doubleReads = "0";
    m_controls.duration = "1";
    m_controls.accessLevel = 2;
    m_controls.syncLevel = "0.00";
    m_controls.display = kTimestamp;
    m_controls.slider = kSliderMax;
    m_controls.advanced = false;
    Recompute();
}

void CAdditional::Recompute() {
    const int minutes = std::clamp(FieldNumber(m_controls.duration), kMinDuration, kMaxDuration);
    const int pause = kSlowBreak - kBreakStep * std::clamp(m_controls.slider, 0, kSliderMax);
    const int bursts = (minutes * kMinuteMs + pause) / (pause + kBurstTime);
    m_controls.reads = Format("%d", kReads);
    m_controls.breakTime = Format("%d", pause);
    m_controls.bursts = Format("%d", bursts);
}

void CAdditional::ShowDurationAndSlider() {
    const int reads = FieldNumber(m_controls.reads);
    const int pause = FieldNumber(m_controls.breakTime);
    const int bursts = FieldNumber(m_controls.bursts);
    if (reads != kReads || pause < 0 || bursts < 0) {
        return;
    }
    m_controls.slider = std::clamp((kSlowBreak - pause) / kBreakStep, 0, kSliderMax);
    // 65535 bursts with a 65535 ms break, as a reader may report them, run for over a month of
    // milliseconds: more than an int holds.
    const int64_t milliseconds = int64_t{bursts} * kBurstTime + int64_t{bursts - 1} * pause;
    m_controls.duration =
        Format("%lld", static_cast<long long>(std::max<int64_t>(milliseconds / kMinuteMs, 0)));
}

void CAdditional::OnSlider(int position) {
    StoreView();
    m_controls.slider = std::clamp(position, 0, kSliderMax);
    Recompute();
    UpdateView();
}

void CAdditional::OnDurationStep(int steps) {
    StoreView();
    int minutes = FieldNumber(m_controls.duration);
    minutes = std::clamp((minutes < 0 ? kMinDuration : minutes) + steps, kMinDuration, kMaxDuration);
    m_controls.duration = Format("%d", minutes);
    Recompute();
    UpdateView();
}

void CAdditional::OnDurationEdited() {
    StoreView();
    if (FieldNumber(m_controls.duration) >= 0) {
        Recompute();
        UpdateView();
    }
}

void CAdditional::OnAdvanced(bool shown) {
    m_controls.advanced = shown;
    UpdateView();
}

void CAdditional::OnSyncLevelStep(int steps) {
    StoreView();
    double volts = 0.0;
    if (!ParseDouble(m_controls.syncLevel, volts)) {
        volts = 0.0;
    }
    // In hundredths, as shown, so that repeated steps collect no rounding errors and 1.96 steps
    // to 2.06, not to a snapped 2.10.
    const long hundredths = std::lround(std::clamp(volts, 0.0, kMaxSync) * 100.0) + 10L * steps;
    m_controls.syncLevel = Format("%4.2f", std::clamp(hundredths / 100.0, kMinSync, kMaxSync));
    UpdateView();
}

void CAdditional::SendAdditional(const char* status, CTelegram request) {
    SetStatus(status, kRequestTicks);
    SendRequest(request);
}

bool CAdditional::PermanentReadValues(uint16_t& breakTime, uint16_t& bursts, uint8_t& reads) {
    const int r = FieldNumber(m_controls.reads);
    const int b = FieldNumber(m_controls.bursts);
    const int p = FieldNumber(m_controls.breakTime);
    // An empty or oversized field would go out as some other number.
    const char* refusal = nullptr;
    if (r < 0 || r > 255) {
        refusal = kReadsNotSendable;
    } else if (b < 0 || b > 65535) {
        refusal = kBurstsNotSendable;
    } else if (p < 0 || p > 65535) {
        refusal = kBreakNotSendable;
    }
    if (refusal != nullptr) {
        Refuse(refusal);
        return false;
    }
    breakTime = static_cast<uint16_t>(p);
    bursts = static_cast<uint16_t>(b);
    reads = static_cast<uint8_t>(r);
    return true;
}

void CAdditional::OnSetPermanentRead() {
    StoreView();
    uint16_t pause = 0;
    uint16_t bursts = 0;
    uint8_t reads = 0;
    if (!PermanentReadValues(pause, bursts, reads)) {
        return;
    }
    CTelegram request(Cmd::kAdditional, Desc::kSetPermanentRead, kKindFrame);
    request.AppendByte(Sub60::kSetPermanentRead);
    request.AppendWord(pause);
    request.AppendWord(bursts);
    request.AppendByte(reads);
    request.AppendByte(m_controls.active ? 1 : 0);
    SendAdditional("Configure permanent read parameter", request);
}

void CAdditional::OnSetRfPower() {
    StoreView();
    CTelegram request(Cmd::kAdditional, Desc::kSetRfPower, kKindFrame);
    request.AppendByte(Sub60::kSetRfPower);
    request.AppendByte(m_controls.highPower ? 1 : 0);
    SendAdditional("Configure rf power mode", request);
}

void CAdditional::Remember(Reported& reported, const std::string& text, int value) {
    reported.text = text;
    reported.value = value;
}

void CAdditional::Refuse(const char* text) {
    if (m_filling && Prompt() != nullptr) {
        Prompt()->Message(text);
    } else {
        ShowNotice(text, kAnswerTicks);
    }
}

int CAdditional::SwitchOffValue() {
    if (const int reported = m_reportedSwitchOff.Unedited(m_controls.switchOff); reported >= 0) {
        return reported;
    }
    int seconds = FieldNumber(m_controls.switchOff);
    if (seconds < 0) {
        seconds = kEmptyField;
    }
    const char* refusal = seconds < kMinSwitchOff   ? kTooSmallSwitchOff
                          : seconds > kMaxSwitchOff ? kTooLargeSwitchOff
                                                    : nullptr;
    if (refusal != nullptr) {
        Tell(refusal);
        return -1;
    }
    return seconds * 100;
}

int CAdditional::DoubleReadValue() {
    if (const int reported = m_reportedDoubleReads.Unedited(m_controls.doubleReads); reported >= 0) {
        return reported;
    }
    int value = FieldNumber(m_controls.doubleReads);
    if (value < 0) {
        value = kEmptyField;
    }
    if (value > kMaxDoubleReads) {
        Tell(kTooLargeDoubleReads);
        return -1;
    }
    return value;
}

int CAdditional::SyncLevelValue() {
    // Every text the page shows for a reported level converts back to that level exactly.
    double volts = 0.0;
    // Above 5.00 V the byte would wrap to a low level.
    if (!ParseDouble(m_controls.syncLevel, volts) || volts < 0.0 || volts > kMaxSync + 1e-9) {
        Refuse(kSyncNotSendable);
        return -1;
    }
    return ConfigFile::SyncLevelValue(m_controls.syncLevel);
}

void CAdditional::OnSetSwitchOff() {
    StoreView();
    const int value = SwitchOffValue();
    if (value < 0) {
        return;
    }
    CTelegram request(Cmd::kAdditional, Desc::kSetSwitchOffTime, kKindFrame);
    request.AppendByte(Sub60::kSetSwitchOffTime);
    request.AppendWord(static_cast<uint16_t>(value));
    SendAdditional("Configure switch off time", request);
}

void CAdditional::OnSetIo() {
    StoreView();
    CTelegram request(Cmd::kAdditional, Desc::kSetIoConfig, kKindFrame);
    request.AppendByte(Sub60::kSetIoConfig);
    request.AppendByte(static_cast<uint8_t>((m_controls.useBeeper ? 1 : 0) | (m_controls.useLeds ? 2 : 0)));
    SendAdditional("Configure IO", request);
}

void CAdditional::OnSetAccessLevel() {
    StoreView();
    if (m_controls.accessLevel < 0 || m_controls.accessLevel > 2) {
        Refuse(kNoAccessLevel);
        return;
    }
    CTelegram request(Cmd::kAdditional, Desc::kSetAccessLevel, kKindFrame);
    request.AppendByte(Sub60::kSetAccessLevel);
    request.AppendByte(static_cast<uint8_t>(m_controls.accessLevel));
    SendAdditional("Configure access level", request);
}

void CAdditional::OnSetDoubleReads() {
    StoreView();
    const int value = DoubleReadValue();
    if (value < 0) {
        return;
    }
    CTelegram request(Cmd::kAdditional, Desc::kSetDoubleRead, kKindFrame);
    request.AppendByte(Sub60::kSetDoubleRead);
    request.AppendWord(static_cast<uint16_t>(value));
    SendAdditional("Configure double reads", request);
}

void CAdditional::OnSyncOn() {
    StoreView();
    const int value = SyncLevelValue();
    if (value < 0) {
        return;
    }
    CTelegram request(Cmd::kAdditional, Desc::kSetSyncLevel, kKindFrame);
    request.AppendByte(Sub60::kSetSyncLevel);
    request.AppendByte(static_cast<uint8_t>(value));
    SendAdditional("Set wireless sync level", request);
}

void CAdditional::OnSyncOff() {
    CTelegram request(Cmd::kAdditional, Desc::kSetSyncLevel, kKindFrame);
    request.AppendByte(Sub60::kSetSyncLevel);
    request.AppendByte(0x00);
    SendAdditional("Set wireless sync level", request);
}

void CAdditional::OnSetDisplayInfo() {
    StoreView();
    CTelegram request(Cmd::kAdditional, Desc::kSetDisplayInfo, kKindFrame);
    request.AppendByte(Sub60::kSetDisplayInfo);
    if (m_controls.display >= kTimestamp && m_controls.display <= kAnimalCounter) {
        request.AppendByte(static_cast<uint8_t>(m_controls.display));
    }
    SendAdditional("Configure additional info", request);
}

void CAdditional::OnGetAll() {
    SetStatus("Read additional configuration", kRequestTicks);
    // Asked once: a missing answer shows no failure.
    CTelegram request(Cmd::kAdditional, Desc::kGetAdditional, kKindFrame);
    request.AppendByte(Sub60::kGetAdditional);
    request.ClearRepeat();
    MainWindow().OnSendTelegram(request);
}

void CAdditional::OnGetPermanentRead() {
    CTelegram request(Cmd::kAdditional, Desc::kGetPermanentRead, kKindFrame);
    request.AppendByte(Sub60::kGetPermanentRead);
    SendRequest(request);
}

void CAdditional::OnGetSyncLevel() {
    SetStatus("Get wireless sync level", kRequestTicks);
    SetBusy(true);
    SetStarted(false);
    ResetJobs();
    AddCheckItem(CfgAddr::kSyncLevel);
    SetIndex(0);
    SetBusy(false);
}

void CAdditional::ShowDisplay(uint8_t displayInfo) {
    if ((displayInfo & 0x03) == 0) {
        m_controls.display = kTimestamp;
    } else if ((displayInfo & 0x01) != 0) {
        m_controls.display = kTagInfo;
    } else {
        m_controls.display = kAnimalCounter;
    }
}

void CAdditional::ShowPermanentRead(const uint8_t* p) {
    m_controls.breakTime = Format("%d", Word(p));
    m_controls.bursts = Format("%d", Word(p + 2));
    m_controls.reads = Format("%d", p[4]);
    m_controls.active = (p[5] & 0x01) != 0;
}

void CAdditional::HandleAnswer(int length, const uint8_t* frame) {
    const bool ack = IsAck(length, frame);
    const uint8_t sub = length > 6 ? frame[5] : 0;
    switch (frame[4]) {
        case Cmd::kResetAll:
            HandleResetAnswer(length, frame);
            break;
        case Cmd::kSetConfig:
            if (ack) {
                EndRequest();
            }
            break;
        case Cmd::kGetConfig:
            if (ack) {
                EndRequest();
            }
            SetWaitTicks(0);
            if (Started()) {
                CompareReadBack(length, frame);
            } else if (ack) {
                SetStatus(SuccessText(), kAnswerTicks);
                if (LastReadAddress() == CfgAddr::kSyncLevel && DataCount(length) >= 1) {
                    m_controls.syncLevel = ConfigFile::SyncLevelText(frame[5]);
                    UpdateView();
                }
            }
            break;
        case Cmd::kSaveConfig:
            if (ack) {
                EndRequest();
                SetStatus(SuccessText(), kAnswerTicks);
            }
            break;
        case Cmd::kService:
            // The developer's "Get" of the permanent read parameters.
            if (sub == Sub60::kGetPermanentRead && length >= kPermanentAnswerLength) {
                if (ack) {
                    EndRequest();
                }
                ShowPermanentRead(frame + 6);
                ShowDurationAndSlider();
                UpdateView();
            }
            break;
        case Cmd::kAdditional:
            if (sub == Sub60::kGetAdditional) {
                if (length < kBlockLength) {
                    break;  // too short to be the block: nothing in it can be trusted
                }
                SetStatus("Additonal configuration received", kAnswerTicks);
                ShowPermanentRead(frame + 6);
                m_controls.switchOff = Format("%d", Word(frame + 12) / 100);
                Remember(m_reportedSwitchOff, m_controls.switchOff, Word(frame + 12));
                m_controls.syncLevel = ConfigFile::SyncLevelText(frame[14]);
                m_controls.useBeeper = (frame[15] & 0x01) != 0;
                m_controls.useLeds = (frame[15] & 0x02) != 0;
                m_controls.highPower = (frame[17] & 0x01) != 0;
                m_controls.accessLevel = frame[22] <= 2 ? frame[22] : -1;
                m_controls.doubleReads = Format("%d", Word(frame + 23));
                Remember(m_reportedDoubleReads, m_controls.doubleReads, Word(frame + 23));
                ShowDisplay(frame[25]);
                ShowDurationAndSlider();
                UpdateView();
                break;
            }
            if (ack && (sub == Sub60::kSetPermanentRead || sub == Sub60::kSetRfPower ||
                        sub == Sub60::kSetSwitchOffTime || sub == Sub60::kSetIoConfig ||
                        sub == Sub60::kSetAccessLevel || sub == Sub60::kSetDoubleRead ||
                        sub == Sub60::kSetDisplayInfo || sub == Sub60::kSetSyncLevel)) {
                EndRequest();
                SetStatus(kSuccessText, kAnswerTicks);
            }
            break;
        default:
            break;
    }
}

int CAdditional::FillRecord(ConfigRecord& record) {
    StoreView();
    m_filling = true;
    uint16_t pause = 0;
    uint16_t bursts = 0;
    uint8_t reads = 0;
    int switchOff = -1;
    int doubleReads = -1;
    int sync = -1;
    const bool sendable = PermanentReadValues(pause, bursts, reads) && (switchOff = SwitchOffValue()) >= 0 &&
                          (doubleReads = DoubleReadValue()) >= 0 && (sync = SyncLevelValue()) >= 0;
    const bool levelShown = m_controls.accessLevel >= 0 && m_controls.accessLevel <= 2;
    if (sendable && !levelShown) {
        // "Read only" in its place would lock the reader without anyone having chosen it.
        Refuse(kNoAccessLevel);
    }
    m_filling = false;
    if (!sendable || !levelShown) {
        return -1;
    }
    record.permanentReadBreak = pause;
    record.permanentReadBursts = bursts;
    record.permanentReadReads = reads;
    record.permanentReadActive = m_controls.active ? 1 : 0;
    record.switchOffTime = static_cast<uint16_t>(switchOff);
    record.ioFlags = static_cast<uint8_t>((m_controls.useBeeper ? 1 : 0) | (m_controls.useLeds ? 2 : 0));
    record.rfPower = m_controls.highPower ? 1 : 0;
    record.accessLevel = static_cast<uint8_t>(m_controls.accessLevel);
    record.doubleReadTime = static_cast<uint16_t>(doubleReads);
    if (m_controls.display >= kTimestamp && m_controls.display <= kAnimalCounter) {
        record.displayInfo = static_cast<uint8_t>(m_controls.display);
    }
    record.syncLevel = static_cast<uint8_t>(sync);
    return 0;
}

void CAdditional::ShowRecord(ConfigRecord record) {
    m_controls.breakTime = Format("%d", record.permanentReadBreak);
    m_controls.bursts = Format("%d", record.permanentReadBursts);
    m_controls.reads = Format("%d", record.permanentReadReads);
    m_controls.active = (record.permanentReadActive & 0x01) != 0;
    m_controls.switchOff = Format("%d", record.switchOffTime / 100);
    Remember(m_reportedSwitchOff, m_controls.switchOff, record.switchOffTime);
    m_controls.useBeeper = (record.ioFlags & 0x01) != 0;
    m_controls.useLeds = (record.ioFlags & 0x02) != 0;
    m_controls.highPower = (record.rfPower & 0x01) != 0;
    // A level the page cannot show is shown as none, which Apply then refuses to write.
    m_controls.accessLevel = record.accessLevel <= 2 ? record.accessLevel : -1;
    ShowDisplay(record.displayInfo);
    m_controls.doubleReads = Format("%d", record.doubleReadTime);
    Remember(m_reportedDoubleReads, m_controls.doubleReads, record.doubleReadTime);
    m_controls.syncLevel = ConfigFile::SyncLevelText(record.syncLevelRead);
    ShowDurationAndSlider();
    UpdateView();
}
