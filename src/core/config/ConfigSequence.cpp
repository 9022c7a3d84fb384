#include "core/config/ConfigSequence.h"

#include "core/app/LineTiming.h"
#include "core/link/Commands.h"
#include "core/link/FrameParser.h"

#include <algorithm>

namespace {

// Read steps.
constexpr int kR1 = 1, kR4 = 4, kR5 = 5, kR6 = 6, kR7 = 7;
// Write steps: W1 is 11, W20 is 30.
constexpr int kW1 = 11, kW13 = 23, kW14 = 24, kW15 = 25, kW18 = 28, kW19 = 29, kW20 = 30;

constexpr int kReadDelay = 1;
constexpr int kWriteDelay = 3;
constexpr int kBluetoothDelay = 50;  // the module takes seconds to switch its role

constexpr size_t kBlockEnd = 26;  // the block's last byte is byte 25
constexpr size_t kSerialFirst = 5;
constexpr size_t kSerialLast = 10;

// The configuration address read by R1..R4 and W15..W18, in that order.
constexpr uint8_t kReadAddresses[] = {CfgAddr::kFormat, CfgAddr::kTimeout, CfgAddr::kStartCharacter,
                                      CfgAddr::kTiming};
constexpr const char* kReadDescriptions[] = {Desc::kReadFormat, Desc::kReadTimeout, Desc::kReadStartCharacter,
                                             Desc::kReadTiming};

uint16_t Word(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// The record field that a configuration read of the index (0..3) stores.
uint8_t& ReadField(ConfigRecord& record, int index) {
    switch (index) {
        case 0:
            return record.format;
        case 1:
            return record.timeout;
        case 2:
            return record.startCharacter;
        default:
            return record.timing;
    }
}

CTelegram Additional(uint8_t sub, const char* description) {
    CTelegram t(Cmd::kAdditional, description, kKindFrame);
    t.AppendByte(sub);
    return t;
}

CTelegram SetAddress(uint8_t address, uint8_t value, const char* description) {
    CTelegram t(Cmd::kSetConfig, description, kKindFrame);
    t.AppendByte(address);
    t.AppendByte(value);
    return t;
}

// Text of the frame's bytes first..last, stopping before the CRC byte.
std::string FrameText(int length, const uint8_t* frame, size_t first, size_t last) {
    std::string text;
    const size_t end = length > 0 ? static_cast<size_t>(length) - 1 : 0;
    for (size_t i = first; i < end && i <= last; ++i) {
        text.push_back(static_cast<char>(frame[i]));
    }
    return text;
}

}  // namespace

int CConfigSequence::StartRead() {
    if (m_step != 0) {
        return -1;
    }
    m_step = kFirstRead;
    m_attempts = 0;
    m_delay = 0;
    return kReadSteps;
}

int CConfigSequence::StartWrite(const ConfigRecord& record) {
    if (m_step != 0) {
        return -1;
    }
    const std::string version = m_writeRecord.version;
    const std::string serialNumber = m_writeRecord.serialNumber;
    const uint8_t syncLevelRead = m_writeRecord.syncLevelRead;
    m_writeRecord = record;
    m_writeRecord.version = version;
    m_writeRecord.serialNumber = serialNumber;
    m_writeRecord.syncLevelRead = syncLevelRead;
    m_step = kFirstWrite;
    m_attempts = 0;
    m_delay = 0;
    return kWriteProgress;
}

int CConfigSequence::GetReadRecord(ConfigRecord& record) const {
    record = m_readRecord;
    return 0;
}

void CConfigSequence::Advance() {
    if (m_step == kR7 || m_step == kW20) {
        m_step = 0;
    } else if (m_step != 0) {
        ++m_step;
    }
    m_attempts = 0;
}

void CConfigSequence::Build(CTelegram& request) const {
    const ConfigRecord& w = m_writeRecord;
    if (m_step >= kR1 && m_step <= kR4) {
        request = CTelegram(Cmd::kGetConfig, kReadDescriptions[m_step - kR1], kKindFrame);
        request.AppendByte(kReadAddresses[m_step - kR1]);
        return;
    }
    if (m_step >= kW15 && m_step <= kW18) {
        request = CTelegram(Cmd::kGetConfig, kReadDescriptions[m_step - kW15], kKindFrame);
        request.AppendByte(kReadAddresses[m_step - kW15]);
        return;
    }
    switch (m_step) {
        case kR5:
            request = CTelegram(Cmd::kVersion, Desc::kVersionSeq, kKindFrame);
            break;
        case kR6:
            request = CTelegram(Cmd::kGetSnr, Desc::kGetSnrSeq, kKindFrame);
            break;
        case kR7:
        case kW19:
            request = Additional(Sub60::kGetAdditional, Desc::kGetAdditionalSeq);
            break;
        case kW1:
            request = SetAddress(CfgAddr::kFormat, w.format, Desc::kWriteFormat);
            break;
        case kW1 + 1:
            request = SetAddress(CfgAddr::kTimeout, w.timeout, Desc::kWriteTimeout);
            break;
        case kW1 + 2:
            request = SetAddress(CfgAddr::kStartCharacter, w.startCharacter, Desc::kWriteStartCharacter);
            break;
        case kW1 + 3:
            request = Additional(Sub60::kSetSyncLevel, Desc::kSetSyncLevelSeq);
            request.AppendByte(w.syncLevel);
            break;
        case kW1 + 4:
            request = SetAddress(CfgAddr::kTiming, w.timing, Desc::kWriteTiming);
            break;
        case kW1 + 5:
            request = Additional(Sub60::kSetIoConfig, Desc::kSetIoConfigSeq);
            request.AppendByte(w.ioFlags);
            break;
        case kW1 + 6:
            request = Additional(Sub60::kSetRfPower, Desc::kSetRfPowerSeq);
            request.AppendByte(w.rfPower);
            break;
        case kW1 + 7:
            request = Additional(Sub60::kSetDoubleRead, Desc::kSetDoubleReadSeq);
            request.AppendWord(w.doubleReadTime);
            break;
        case kW1 + 8:
            request = Additional(Sub60::kSetAccessLevel, Desc::kSetAccessLevelSeq);
            request.AppendByte(w.accessLevel);
            break;
        case kW1 + 9:
            request = Additional(Sub60::kSetDisplayInfo, Desc::kSetDisplayInfoSeq);
            request.AppendByte(w.displayInfo);
            break;
        case kW1 + 10:
            request = Additional(Sub60::kSetPermanentRead, Desc::kSetPermanentReadSeq);
            request.AppendWord(w.permanentReadBreak);
            request.AppendWord(w.permanentReadBursts);
            request.AppendByte(w.permanentReadReads);
            request.AppendByte(w.permanentReadActive);
            break;
        case kW1 + 11:
            request = Additional(Sub60::kSetSwitchOffTime, Desc::kSetSwitchOffTimeSeq);
            request.AppendWord(w.switchOffTime);
            break;
        case kW13:
            request = Additional(Sub60::kSetBluetoothMode, Desc::kSetBluetoothModeSeq);
            request.AppendByte(w.bluetoothMode);
            break;
        case kW14:
            request = Additional(Sub60::kSetOutputFormat, Desc::kSetOutputFormatSeq);
            for (const uint8_t b : w.customFormat) {
                request.AppendByte(b);
            }
            break;
        case kW20:
            request = CTelegram(Cmd::kSaveConfig, Desc::kSaveConfigSeq, kKindFrame);
            break;
        default:
            break;
    }
}

int CConfigSequence::BuildStep(CTelegram& request) {
    if (m_delay > 0) {
        --m_delay;
        return kWaiting;
    }
    if (m_step == 0) {
        return kNothing;
    }
    Build(request);
    if (m_timing != nullptr) {
        // A first transmission waits while an earlier request of its kind still owes an answer
        // that could be taken for its own; a repetition or the give-up waits while a slow line
        // may still bring the answer.
        const bool waits = m_attempts == 0 ? m_timing->BlocksRequest(request)
                                           : m_timing->HoldsRepeat(request, m_attempts == 1);
        if (waits) {
            return kWaiting;
        }
    }
    if (m_step >= kR1 && m_step <= kR7) {
        m_delay = kReadDelay;
    } else if (m_step == kW13) {
        m_delay = kBluetoothDelay;
    } else if (m_step >= kW15 && m_step <= kW19) {
        m_delay = kReadDelay;
    } else {
        m_delay = kWriteDelay;
    }
    if (m_attempts == 0) {
        m_attempts = kTransmissions;
        return kStep;
    }
    if (m_attempts > 1) {
        --m_attempts;
        return kRepeat;
    }
    Advance();
    return kGiveUp;
}

bool CConfigSequence::StoreAdditionalBlock(int length, const uint8_t* frame, ConfigRecord& record) {
    // The block runs up to byte 25; the CRC byte follows it.
    if (frame == nullptr || length < 0 || static_cast<size_t>(length) < kBlockEnd + 1) {
        return false;
    }
    const uint8_t* f = frame;
    record.permanentReadBreak = Word(f + 6);
    record.permanentReadBursts = Word(f + 8);
    record.permanentReadReads = f[10];
    record.permanentReadActive = f[11];
    record.switchOffTime = Word(f + 12);
    record.syncLevelRead = f[14];
    record.ioFlags = f[15];
    record.rfPower = f[17];
    record.bluetoothMode = f[18];
    std::copy(f + 19, f + 22, record.customFormat.begin());
    record.accessLevel = f[22];
    record.doubleReadTime = Word(f + 23);
    record.displayInfo = f[25];
    return true;
}

int CConfigSequence::OnAnswer(int length, const uint8_t* frame) {
    if (frame == nullptr || length <= 0 || m_step == 0) {
        return kIgnored;
    }
    const int n = std::min(length, kMaxFrame);
    // Only the answer to the step's own request is the step's: a tag data message, the
    // keep-alive's acknowledge or a late answer to another request leaves it alone.
    CTelegram request;
    Build(request);
    AnswerKey answer;
    if (!AnswerKey::OfAnswer(frame, n, answer) ||
        !AnswerKey::OfRequest(request.Data(), request.GetLength()).Matches(answer)) {
        return kIgnored;
    }
    m_delay = 0;
    if (frame[3] != CFrameParser::kAck) {
        return kNotAck;
    }
    const bool configRead = (m_step >= kR1 && m_step <= kR4) || (m_step >= kW15 && m_step <= kW18);
    if (configRead) {
        // Byte 5 of a six-byte acknowledge is its CRC, not a value.
        if (n < 7) {
            return kNotConfigRead;
        }
        const int index = m_step >= kW15 ? m_step - kW15 : m_step - kR1;
        ReadField(m_readRecord, index) = frame[5];
        Advance();
        return kStepDone;
    }
    switch (m_step) {
        case kR5:
            m_readRecord.version = n > 6 ? FrameText(n, frame, 5, static_cast<size_t>(n)) : std::string();
            Advance();
            return kStepDone;
        case kR6:
            m_readRecord.serialNumber = FrameText(n, frame, kSerialFirst, kSerialLast);
            Advance();
            return kStepDone;
        case kR7:
        case kW19: {
            if (!StoreAdditionalBlock(n, frame, m_readRecord)) {
                return kIgnored;
            }
            const bool read = m_step == kR7;
            Advance();
            return read ? kReadDone : kStepDone;
        }
        case kW20:
            Advance();
            return kWriteDone;
        default:
            Advance();
            return kStepDone;
    }
}
