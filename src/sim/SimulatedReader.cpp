#include "sim/SimulatedReader.h"

#include "core/link/Commands.h"
#include "core/util/Format.h"
#include "core/util/LocalTime.h"
#include "sim/AnswerBody.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int64_t kSecondsPerDay = 86400;

bool IsControl(uint8_t b) {
    return b == CFrameParser::kStx || b == CFrameParser::kEtx || b == CFrameParser::kDle;
}

const int64_t kEpoch2000 = DaysFromCivil(2000, 1, 1);

// 0 = Sunday.
int WeekdayOfDays(int64_t daysSince1970) {
    return static_cast<int>(((daysSince1970 % 7) + 7 + 4) % 7);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) {
        return 29;
    }
    return kDays[month - 1];
}

uint8_t ToBcd(int value) {
    return static_cast<uint8_t>(((value / 10) << 4) | (value % 10));
}

// -1 for a byte that is not two decimal digits.
int FromBcd(uint8_t b) {
    if ((b >> 4) > 9 || (b & 0x0F) > 9) {
        return -1;
    }
    return (b >> 4) * 10 + (b & 0x0F);
}

// The 64-bit ISO code, least significant byte first, as a tag record carries it.
std::array<uint8_t, 8> IsoCode(const SimulatedReader::Transponder& t) {
    std::array<uint8_t, 8> code{};
    const uint64_t national = t.nationalId & 0x3FFFFFFFFFULL;
    for (size_t i = 0; i < 4; ++i) {
        code[i] = static_cast<uint8_t>(national >> (8 * i));
    }
    code[4] = static_cast<uint8_t>(((national >> 32) & 0x3F) | ((t.countryCode & 3) << 6));
    code[5] = static_cast<uint8_t>((t.countryCode >> 2) & 0xFF);
    code[6] = 0x00;
    code[7] = 0x80;  // animal flag
    return code;
}

}  // namespace

SimulatedReader::SimulatedReader(uint8_t nodeAddress, uint32_t seed)
    : m_config(nodeAddress),
      m_signals(seed),
      m_version(Format("Corvantelle SIM %s", CORVANTELLE_VERSION)),
      m_random(seed) {
    m_transponders = {{984, 123456789012ULL, 5, {}}, {276, 4711ULL, 1, {}}};
    SetClock(2026, 1, 1, 8, 0, 0);
}

void SimulatedReader::Restart() {
    m_config.Restart();
    m_bluetooth.Restart();
    m_parser = CFrameParser{};
}

std::vector<uint8_t> SimulatedReader::BuildNakBody(const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> body{kNak};
    if (payload.empty()) {
        return body;
    }
    body.push_back(payload[0]);
    // A store answers with its sub-code too, so that a refused one can be told from a simulated read.
    if ((Cmd::IsMultiFunction(payload[0]) || payload[0] == Cmd::kStoreTagData) && payload.size() >= 2) {
        body.push_back(payload[1]);
    }
    return body;
}

void SimulatedReader::SetTransponders(std::vector<Transponder> transponders) {
    m_transponders = std::move(transponders);
    m_nextTag = 0;
    m_currentTag = 0;
}

void SimulatedReader::SetTagInterval(int milliseconds) {
    m_tagInterval = std::max(milliseconds, 0);
    m_nextTagDue = m_now + m_tagInterval;
}

void SimulatedReader::SetFaults(const Faults& faults) {
    m_faults = faults;
    m_faults.dropPercent = std::clamp(m_faults.dropPercent, 0, 100);
    m_faults.corruptPercent = std::clamp(m_faults.corruptPercent, 0, 100);
    m_faults.refusePercent = std::clamp(m_faults.refusePercent, 0, 100);
    m_faults.delayMs = std::max(m_faults.delayMs, 0);
    m_faults.jitterMs = std::clamp(m_faults.jitterMs, 0, m_faults.delayMs);
}

int SimulatedReader::SetClock(int year, int month, int day, int hours, int minutes, int seconds) {
    if (year < 2000 || year > 2099 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) {
        return -1;
    }
    m_clockBase = (DaysFromCivil(year, month, day) - kEpoch2000) * kSecondsPerDay + hours * 3600 +
                  minutes * 60 + seconds;
    m_clockSetAt = m_now;
    m_weekdayShift = 0;
    return 0;
}

int64_t SimulatedReader::ClockSeconds() const {
    return m_clockBase + (m_now - m_clockSetAt) / 1000;
}

uint32_t SimulatedReader::DatasetStamp() const {
    const int64_t total = ClockSeconds();
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(total / kSecondsPerDay + kEpoch2000, year, month, day);
    const int64_t rest = total % kSecondsPerDay;
    return DatasetMemory::PackStamp(month, day, static_cast<int>(rest / 3600),
                                    static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
}

std::array<uint8_t, 7> SimulatedReader::GetClockBytes() const {
    const int64_t total = ClockSeconds();
    const int64_t days = total / kSecondsPerDay;
    const int64_t rest = total % kSecondsPerDay;
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days + kEpoch2000, year, month, day);
    const int weekday = (WeekdayOfDays(days + kEpoch2000) + m_weekdayShift) % 7;
    return {ToBcd(static_cast<int>(rest % 60)),
            ToBcd(static_cast<int>(rest / 60 % 60)),
            ToBcd(static_cast<int>(rest / 3600)),
            ToBcd(weekday + 1),
            ToBcd(day),
            ToBcd(month),
            ToBcd((year - 2000) % 100)};
}

std::vector<uint8_t> SimulatedReader::BuildAnswerFrame(uint8_t nodeAddress,
                                                       const std::vector<uint8_t>& body) {
    std::vector<uint8_t> frame;
    frame.reserve(body.size() * 2 + 6);
    frame.push_back(CFrameParser::kStx);
    uint8_t crc = CFrameParser::Crc8(0x00, CFrameParser::kStx);
    frame.push_back(nodeAddress);
    crc = CFrameParser::Crc8(crc, nodeAddress);
    frame.push_back(CFrameParser::kMarker);
    crc = CFrameParser::Crc8(crc, CFrameParser::kMarker);
    for (const uint8_t b : body) {
        if (IsControl(b)) {
            frame.push_back(CFrameParser::kDle);
            crc = CFrameParser::Crc8(crc, CFrameParser::kDle);
        }
        frame.push_back(b);
        crc = CFrameParser::Crc8(crc, b);
    }
    // As in requests: a CRC that looks like a control byte goes behind a DLE, and the DLE moves
    // the register, so the byte sent is the register after it, taken literally by the receiver.
    if (IsControl(crc)) {
        frame.push_back(CFrameParser::kDle);
        crc = CFrameParser::Crc8(crc, CFrameParser::kDle);
    }
    frame.push_back(crc);
    frame.push_back(CFrameParser::kEtx);
    return frame;
}

std::vector<uint8_t> SimulatedReader::BuildTagReport(const Transponder& t, TagForm form) {
    const uint64_t national = t.nationalId & 0x3FFFFFFFFFULL;
    const uint16_t country = static_cast<uint16_t>(t.countryCode & 0x3FF);
    if (form == TagForm::kLine) {
        const std::string line =
            Format("%03d %012llu\r\n", country, static_cast<unsigned long long>(national));
        return {line.begin(), line.end()};
    }
    std::vector<uint8_t> body{CFrameParser::kTagData};
    std::vector<uint8_t> id;
    bool characters = false;
    switch (form) {
        case TagForm::kChar16: {
            const std::string text =
                Format("%04u%012llu", country, static_cast<unsigned long long>(national));
            id.assign(text.begin(), text.end());
            characters = true;
            break;
        }
        case TagForm::kChar10: {
            const std::string text = Format("%010llX", static_cast<unsigned long long>(national));
            id.assign(text.begin(), text.end());
            characters = true;
            break;
        }
        case TagForm::kBin8:
            id.push_back(static_cast<uint8_t>(country >> 8));
            id.push_back(static_cast<uint8_t>(country & 0xFF));
            for (int shift = 40; shift >= 0; shift -= 8) {
                id.push_back(static_cast<uint8_t>(national >> shift));
            }
            break;
        case TagForm::kBin5:
            for (int shift = 32; shift >= 0; shift -= 8) {
                id.push_back(static_cast<uint8_t>(national >> shift));
            }
            break;
        case TagForm::kBin13: {
            const auto code = IsoCode(t);
            id.assign(code.begin(), code.end());
            id.resize(13, 0x00);
            break;
        }
        case TagForm::kLine:
            break;
    }
    body.push_back(static_cast<uint8_t>(id.size() + 1));
    body.insert(body.end(), id.begin(), id.end());
    // The type field: its length byte, a prefix and the type code, as digits in the character forms.
    body.push_back(3);
    if (characters) {
        const std::string type = Format("%02u", static_cast<unsigned>(t.type % 100));
        body.push_back(static_cast<uint8_t>(type[0]));
        body.push_back(static_cast<uint8_t>(type[1]));
        if (t.eventText.empty()) {
            body.push_back(0);
        } else {
            const std::string text = t.eventText.substr(0, kMaxEventText);
            body.push_back(5);
            body.insert(body.end(), 4, 0x00);
            body.push_back(static_cast<uint8_t>(text.size() + 1));
            body.insert(body.end(), text.begin(), text.end());
        }
    } else {
        body.push_back(t.type);
        body.push_back(t.type);
    }
    return body;
}

int64_t SimulatedReader::NextOutputDue() const {
    int64_t next = m_pending.empty() ? -1 : m_pending.front().due;
    if (m_tagInterval > 0 && (next < 0 || m_nextTagDue < next)) {
        next = m_nextTagDue;
    }
    return next;
}

bool SimulatedReader::HasOutput() const {
    return !m_pending.empty() && m_pending.front().due <= m_now;
}

std::vector<uint8_t> SimulatedReader::TakeOutput() {
    std::vector<uint8_t> out;
    while (!m_pending.empty() && m_pending.front().due <= m_now) {
        const auto& bytes = m_pending.front().bytes;
        out.insert(out.end(), bytes.begin(), bytes.end());
        m_pendingBytes -= bytes.size();
        m_pending.pop_front();
    }
    return out;
}

std::vector<std::vector<uint8_t>> SimulatedReader::TakeBatches() {
    std::vector<std::vector<uint8_t>> batches;
    auto out = TakeOutput();
    if (out.empty()) {
        return batches;
    }
    if (!m_faults.split) {
        batches.push_back(std::move(out));
        return batches;
    }
    std::uniform_int_distribution<int> size(1, kMaxSplit);
    size_t at = 0;
    while (at < out.size()) {
        const size_t n = std::min(out.size() - at, static_cast<size_t>(size(m_random)));
        batches.emplace_back(out.begin() + static_cast<std::ptrdiff_t>(at),
                             out.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    return batches;
}

void SimulatedReader::Advance(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    const int64_t target = m_now + milliseconds;
    while (m_tagInterval > 0 && m_nextTagDue <= target) {
        m_now = std::max(m_now, m_nextTagDue);
        m_nextTagDue += m_tagInterval;
        ReportNextTag();
    }
    m_now = target;
}

int SimulatedReader::ReportNextTag() {
    if (m_transponders.empty()) {
        return -1;
    }
    m_nextTag %= m_transponders.size();
    m_currentTag = m_nextTag;
    Reply reply;
    AddTagReport(m_transponders[m_currentTag], reply);
    Send(reply, GetNodeAddress(), m_now);
    m_nextTag = (m_nextTag + 1) % m_transponders.size();
    return 0;
}

void SimulatedReader::Receive(const uint8_t* bytes, size_t count) {
    if (bytes == nullptr || count == 0) {
        return;
    }
    if (m_faults.echo) {
        Enqueue({bytes, bytes + count}, m_now, false);
    }
    // The module hears the line too: AT lines are its, frames the reader's.
    if (m_hardware.ModulePowered()) {
        Enqueue(m_module.Receive(bytes, count, m_now), m_now + m_faults.delayMs, false);
    }
    for (size_t i = 0; i < count; ++i) {
        if (m_parser.PutByte(bytes[i]) == CFrameParser::kGood) {
            HandleFrame(m_parser.Frame());
        }
    }
}

void SimulatedReader::HandleFrame(const std::vector<uint8_t>& frame) {
    // STX, address, marker, at least the command code, CRC.
    if (frame.size() < 5 || frame[2] != CFrameParser::kMarker) {
        return;
    }
    const uint8_t address = frame[1];
    if (address != GetNodeAddress() && address != CFrameParser::kBroadcast) {
        return;
    }
    const std::vector<uint8_t> payload(frame.begin() + 3, frame.end() - 1);
    if (m_observer) {
        m_observer(address, payload);
    }
    Reply reply;
    // The answer goes out under the address the reader had when the request came.
    const uint8_t node = GetNodeAddress();
    // A request the reader does not carry out is refused out loud: silence would look like a
    // dead line to the tool.
    if (IsRefused(payload) || !Execute(payload, reply)) {
        reply = Reply{};
        reply.frames.push_back(BuildNakBody(payload));
    }
    // A lost answer took the reader its time all the same.
    const int64_t due = AnswerDue();
    if (Chance(m_faults.dropPercent)) {
        return;
    }
    Send(reply, node, due);
}

int64_t SimulatedReader::AnswerDue() {
    int64_t delay = m_faults.delayMs;
    if (m_faults.jitterMs > 0) {
        delay += std::uniform_int_distribution<int>(-m_faults.jitterMs, m_faults.jitterMs)(m_random);
    }
    if (!m_faults.oneAtATime) {
        return m_now + delay;
    }
    m_busyUntil = std::max(m_now, m_busyUntil) + delay;
    return m_busyUntil;
}

void SimulatedReader::Send(const Reply& reply, uint8_t node, int64_t due) {
    for (const auto& body : reply.frames) {
        auto bytes = BuildAnswerFrame(node, body);
        if (Chance(m_faults.corruptPercent)) {
            // A wrong CRC that is still no control byte, so the frame ends where it should.
            const bool escaped = bytes.size() >= 3 && bytes[bytes.size() - 3] == CFrameParser::kDle;
            uint8_t& crc = bytes[bytes.size() - 2];
            for (const uint8_t mask : {0x01, 0x80, 0x40, 0x20}) {
                const uint8_t wrong = static_cast<uint8_t>(crc ^ mask);
                if (escaped || !IsControl(wrong)) {
                    crc = wrong;
                    break;
                }
            }
        }
        Enqueue(std::move(bytes), due, true);
    }
    if (!reply.line.empty()) {
        Enqueue(reply.line, due, true);
    }
}

void SimulatedReader::AddTagReport(const Transponder& transponder, Reply& reply) const {
    auto report = BuildTagReport(transponder, m_tagForm);
    if (m_tagForm == TagForm::kLine) {
        reply.line = std::move(report);
    } else {
        reply.frames.push_back(std::move(report));
    }
}

bool SimulatedReader::Chance(int percent) {
    if (percent <= 0) {
        return false;
    }
    std::uniform_int_distribution<int> roll(0, 99);
    return roll(m_random) < percent;
}

void SimulatedReader::Enqueue(std::vector<uint8_t> bytes, int64_t due, bool noise) {
    if (noise && m_faults.noise) {
        std::uniform_int_distribution<int> count(1, kMaxNoise);
        std::uniform_int_distribution<int> value(0, 255);
        std::vector<uint8_t> junk;
        const int n = count(m_random);
        while (static_cast<int>(junk.size()) < n) {
            const auto b = static_cast<uint8_t>(value(m_random));
            // No STX, so no frame starts; nothing a tag line is made of, so no line is faked
            // or lengthened.
            if (b == CFrameParser::kStx || b == '\r' || b == '\n' || b == ' ' || (b >= '0' && b <= '9')) {
                continue;
            }
            junk.push_back(b);
        }
        bytes.insert(bytes.begin(), junk.begin(), junk.end());
    }
    if (bytes.empty() || bytes.size() > kMaxPending) {
        return;
    }
    while (m_pendingBytes + bytes.size() > kMaxPending && !m_pending.empty()) {
        m_pendingBytes -= m_pending.front().bytes.size();
        m_pending.pop_front();
    }
    // Later-due units wait behind earlier ones; equal times keep their order.
    auto at = m_pending.end();
    while (at != m_pending.begin() && std::prev(at)->due > due) {
        --at;
    }
    m_pendingBytes += bytes.size();
    m_pending.insert(at, Unit{due, std::move(bytes)});
}

bool SimulatedReader::IsRefused(const std::vector<uint8_t>& payload) {
    for (const Refusal& r : m_faults.refuse) {
        if (r.code == payload[0] &&
            (r.subCode < 0 || (payload.size() >= 2 && payload[1] == static_cast<uint8_t>(r.subCode)))) {
            return true;
        }
    }
    return Chance(m_faults.refusePercent);
}

bool SimulatedReader::Execute(const std::vector<uint8_t>& payload, Reply& reply) {
    // The configuration store owns its codes; the front answers the rest.
    const uint8_t code = payload[0];
    const uint8_t* args = payload.data() + 1;
    const size_t count = payload.size() - 1;
    if (ServiceHardware::Owns(payload.data(), payload.size())) {
        return m_hardware.Execute(payload.data(), payload.size(), reply.frames);
    }
    if (ExternalEeprom::Owns(payload.data(), payload.size())) {
        return m_eeprom.Execute(payload.data(), payload.size(), reply.frames);
    }
    switch (code) {
        case Cmd::kRouteBluetooth: {
            // The line goes to the module; what it answers follows the acknowledge on the line.
            if (count < 1 || args[count - 1] != '\r' || !m_hardware.ModulePowered()) {
                return false;
            }
            reply.frames.push_back(AckBody(code));
            reply.line = m_module.RouteLine(std::string(args, args + count - 1), m_now);
            return true;
        }
        case Cmd::kConnect:
        case Cmd::kSetLcdContrast:
            if (code == Cmd::kSetLcdContrast) {
                if (count < 1) {
                    return false;
                }
                m_lcdContrast = args[0];
            }
            reply.frames.push_back(AckBody(code));
            return true;
        case Cmd::kVersion: {
            auto body = AckBody(code);
            body.insert(body.end(), m_version.begin(), m_version.end());
            reply.frames.push_back(std::move(body));
            return true;
        }
        case Cmd::kGetSnr: {
            auto body = AckBody(code);
            body.insert(body.end(), m_serialNumber.begin(), m_serialNumber.end());
            reply.frames.push_back(std::move(body));
            return true;
        }
        case Cmd::kSetSnr: {
            if (count < 6) {
                return false;
            }
            for (size_t i = 0; i < 6; ++i) {
                if (args[i] < 0x20 || args[i] > 0x7E) {
                    return false;
                }
            }
            m_serialNumber.assign(args, args + 6);
            reply.frames.push_back(AckBody(code));
            return true;
        }
        case Cmd::kGetSingleId:
            // The acknowledge, then the transponder in the field if there is one.
            reply.frames.push_back(AckBody(code));
            if (!m_transponders.empty()) {
                AddTagReport(m_transponders[m_currentTag % m_transponders.size()], reply);
            }
            return true;
        case Cmd::kSetClock: {
            if (count < 7) {
                return false;
            }
            int v[7];
            for (size_t i = 0; i < 7; ++i) {
                v[i] = FromBcd(args[i]);
            }
            if (v[3] < 1 || v[3] > 7 || v[6] < 0 ||
                SetClock(2000 + v[6], v[5], v[4], v[2], v[1], v[0]) != 0) {
                return false;
            }
            // The day of the week is kept as set, as a clock chip does, even if it does not fit the date.
            const int64_t days = ClockSeconds() / kSecondsPerDay + kEpoch2000;
            m_weekdayShift = ((v[3] - 1) - WeekdayOfDays(days) + 7) % 7;
            reply.frames.push_back(AckBody(code));
            return true;
        }
        case Cmd::kGetClock: {
            const auto clock = GetClockBytes();
            auto body = AckBody(code);
            body.insert(body.end(), clock.begin(), clock.end());
            reply.frames.push_back(std::move(body));
            return true;
        }
        case Cmd::kResetAvr:
            // The acknowledge leaves under the old address; then the reader starts again.
            reply.frames.push_back(AckBody(code));
            m_config.Restart();
            m_bluetooth.Restart();
            return true;
        case Cmd::kStartBootloader:
            reply.frames.push_back(AckBody(code));
            return true;
        default:
            if (SignalSource::Owns(code)) {
                return m_signals.Execute(code, reply.frames);
            }
            if (BluetoothSettings::Owns(code, args, count)) {
                return m_bluetooth.Execute(args, count, reply.frames);
            }
            if (DatasetMemory::Owns(code)) {
                return m_datasets.Execute(code, args, count, DatasetStamp(), reply.frames);
            }
            if (EventTables::Owns(code, args, count)) {
                return m_events.Execute(code, args, count, reply.frames);
            }
            // Everything else is refused, codes this reader does not know included.
            return ConfigStore::Owns(code) && m_config.Execute(code, args, count, reply.frames);
    }
}
