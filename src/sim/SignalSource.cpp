#include "sim/SignalSource.h"

#include "core/link/Commands.h"
#include "sim/AnswerBody.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The transponder the simulated field holds, for the bit streams.
constexpr uint64_t kNationalId = 0x0000000400ull;
constexpr uint16_t kCountry = 0x038;

void Append(std::vector<bool>& bits, uint64_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bits.push_back(((value >> i) & 1) != 0);  // least significant bit first
    }
}

// CRC-CCITT as FDX-B transponders compute it, bits in the order they are sent.
uint16_t Crc(const std::vector<bool>& bits) {
    uint16_t crc = 0;
    for (const bool bit : bits) {
        const bool feedback = ((crc & 1) != 0) != bit;
        crc >>= 1;
        if (feedback) {
            crc ^= 0x8408;
        }
    }
    return crc;
}

// 11 header bits, then the 64 data bits (ID, country, flags), 16 CRC bits and 24 trailer bits in
// bytes of 8, each followed by a 1: 128 bits.
std::vector<bool> FdxTelegram() {
    std::vector<bool> data;
    Append(data, kNationalId, 38);
    Append(data, kCountry, 10);
    Append(data, 0, 16);  // data block flag, reserved, animal flag
    Append(data, Crc(data), 16);
    Append(data, 0, 24);
    std::vector<bool> bits(10, false);
    bits.push_back(true);
    for (size_t i = 0; i < data.size(); ++i) {
        bits.push_back(data[i]);
        if (i % 8 == 7) {
            bits.push_back(true);
        }
    }
    return bits;
}

// Start byte 0x7E, 64 data bits, CRC and trailer as an HDX tag sends them: 112 bits.
std::vector<bool> HdxTelegram() {
    std::vector<bool> bits;
    Append(bits, 0x7E, 8);
    Append(bits, kNationalId, 38);
    Append(bits, kCountry, 10);
    Append(bits, 0x01, 16);
    Append(bits, 0xC3A5, 16);
    Append(bits, 0x7E7E7E, 24);
    return bits;
}

}  // namespace

SignalSource::SignalSource(uint32_t seed)
    : m_random(seed), m_fdxTelegram(FdxTelegram()), m_hdxTelegram(HdxTelegram()) {}

void SignalSource::Seed(uint32_t seed) {
    m_random.seed(seed);
    m_rssi = 140.0;
}

bool SignalSource::Owns(uint8_t code) {
    return code == Cmd::kGetRssi || code == Cmd::kStartHdxSample || code == Cmd::kStartFdxSample ||
           code == Cmd::kStartUbSample;
}

bool SignalSource::Execute(uint8_t code, Bodies& answers) {
    // Like every request, one with more bytes than it needs is carried out without them.
    if (!Owns(code)) {
        return false;
    }
    std::vector<uint8_t> body = AckBody(code);
    std::vector<uint8_t> data;
    switch (code) {
        case Cmd::kGetRssi:
            data.push_back(NextRssi());
            break;
        case Cmd::kStartHdxSample:
            data = HdxBlock();
            break;
        case Cmd::kStartFdxSample:
            data = FdxBlock();
            break;
        default:
            data = UbBlock();
            break;
    }
    body.insert(body.end(), data.begin(), data.end());
    answers.push_back(std::move(body));
    return true;
}

double SignalSource::Noise(double sigma) {
    std::normal_distribution<double> noise(0.0, sigma);
    return noise(m_random);
}

uint8_t SignalSource::Clamp(double v) const {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

std::vector<uint8_t> SignalSource::FdxBlock() {
    // The demodulated load modulation: differential biphase, a level change at every bit edge and
    // one more in the middle of a 0, through the receiver's first-order low pass.
    std::uniform_real_distribution<double> start(0.0, static_cast<double>(m_fdxTelegram.size()));
    const double firstBit = start(m_random);
    const double amplitude = 55.0 + Noise(3.0);
    const double samplesPerBit = kFdxRate / kFdxBitRate;
    const double smoothing = 0.45;
    double level = 1.0;
    double filtered = 128.0;
    int lastHalf = -1;
    std::vector<uint8_t> out(kBlockBytes);
    for (size_t i = 0; i < kBlockBytes; ++i) {
        const double position = firstBit + i / samplesPerBit;
        const int half = static_cast<int>(std::floor(position * 2));
        while (lastHalf < half) {
            ++lastHalf;
            const size_t bit = static_cast<size_t>(lastHalf / 2) % m_fdxTelegram.size();
            if (lastHalf % 2 == 0 || !m_fdxTelegram[bit]) {
                level = -level;
            }
        }
        filtered += smoothing * (128.0 + amplitude * level - filtered);
        out[i] = Clamp(filtered + Noise(4.0));
    }
    return out;
}

std::vector<uint8_t> SignalSource::HdxBlock() {
    // The tag answers after the field stops: a phase-continuous FSK burst whose energy the tag's
    // capacitor gives out over the telegram, sampled straight off the coil (so the two carriers
    // fold down to a few kHz).
    std::uniform_int_distribution<int> quiet(20, 80);
    const int burstStart = quiet(m_random);
    std::uniform_int_distribution<size_t> startBit(0, m_hdxTelegram.size() - 1);
    size_t bit = startBit(m_random);
    const double dt = 1.0 / kHdxRate;
    double t = 0.0;
    double phase = 0.0;
    double bitTime = 0.0;
    std::vector<uint8_t> out(kBlockBytes);
    for (size_t i = 0; i < kBlockBytes; ++i) {
        double v = 128.0 + Noise(3.0);
        if (static_cast<int>(i) >= burstStart) {
            const double f = m_hdxTelegram[bit % m_hdxTelegram.size()] ? kHdxHigh : kHdxLow;
            phase += 2 * kPi * f * dt;
            bitTime += dt;
            if (bitTime >= 16.0 / f) {
                bitTime -= 16.0 / f;
                ++bit;
            }
            const double envelope = 95.0 * std::exp(-t / 0.012);
            t += dt;
            v += envelope * std::sin(phase);
        }
        out[i] = Clamp(v);
    }
    return out;
}

std::vector<uint8_t> SignalSource::UbBlock() {
    // The supply under the transmitter: about 9 V that sags while the field is on and recovers
    // when it is off, as 10-bit values, high byte first.
    std::uniform_real_distribution<double> start(0.0, 0.02);
    const double offset = start(m_random);
    const double period = 0.010;
    std::vector<uint8_t> out;
    out.reserve(kBlockBytes);
    for (size_t i = 0; i < kBlockBytes / 2; ++i) {
        const double t = offset + i / kUbRate;
        const double inPeriod = std::fmod(t, period);
        const bool fieldOn = inPeriod < period * 0.7;
        const double sag = fieldOn ? 0.45 * (1 - std::exp(-inPeriod / 0.0015))
                                   : 0.45 * std::exp(-(inPeriod - period * 0.7) / 0.0008);
        const double volts = 9.1 - sag + Noise(0.02);
        const auto value = static_cast<uint16_t>(std::clamp(std::lround(volts / kUbVoltsPerStep), 0L, 1023L));
        out.push_back(static_cast<uint8_t>(value >> 8));
        out.push_back(static_cast<uint8_t>(value & 0xFF));
    }
    return out;
}

uint8_t SignalSource::NextRssi() {
    // A hand moving the reader near a tag: a random walk pulled back towards the middle.
    m_rssi += Noise(4.0) + (140.0 - m_rssi) * 0.05;
    m_rssi = std::clamp(m_rssi, 20.0, 235.0);
    return Clamp(m_rssi);
}
