// How fast the link layer handles what the reader sends: the frame receiver over a realistic
// stream, the frame builder, and the tag data decoder.
#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/tags/TransponderId.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

bool IsControl(uint8_t b) {
    return b == CFrameParser::kStx || b == CFrameParser::kEtx || b == CFrameParser::kDle;
}

// A frame as the reader sends it, of any length (sample blocks exceed what BuildFrame allows).
void AppendReaderFrame(Bytes& wire, const Bytes& payload) {
    uint8_t crc = CFrameParser::Crc8(0, CFrameParser::kStx);
    wire.push_back(CFrameParser::kStx);
    const auto put = [&](uint8_t b) {
        if (IsControl(b)) {
            wire.push_back(CFrameParser::kDle);
            crc = CFrameParser::Crc8(crc, CFrameParser::kDle);
        }
        wire.push_back(b);
        crc = CFrameParser::Crc8(crc, b);
    };
    put(0x01);
    put(CFrameParser::kMarker);
    for (const uint8_t b : payload) {
        put(b);
    }
    if (IsControl(crc)) {
        wire.push_back(CFrameParser::kDle);
        crc = CFrameParser::Crc8(crc, CFrameParser::kDle);
    }
    wire.push_back(crc);
    wire.push_back(CFrameParser::kEtx);
}

Bytes TagMessage() {
    const std::string id = "0984123456789012";
    const std::string event = "Sheep 42";
    Bytes m = {CFrameParser::kTagData, static_cast<uint8_t>(id.size() + 1)};
    m.insert(m.end(), id.begin(), id.end());
    m.insert(m.end(), {0x03, '0', '5', 0x05, 0x00, 0x00, 0x00, 0x00, static_cast<uint8_t>(event.size() + 1)});
    m.insert(m.end(), event.begin(), event.end());
    return m;
}

// About 1 MB of what a busy session brings: acknowledges, tag data, configuration answers and
// sample blocks of about 1000 bytes, with the escapes that random sample data causes.
Bytes RealisticStream() {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes wire;
    const Bytes tag = TagMessage();
    while (wire.size() < 1'000'000) {
        AppendReaderFrame(wire, {CFrameParser::kAck, Cmd::kConnect, 0x00});
        AppendReaderFrame(wire, tag);
        AppendReaderFrame(wire, {CFrameParser::kAck, Cmd::kGetConfig, CfgAddr::kMode, 0x05});
        Bytes sample = {CFrameParser::kAck, Cmd::kStartHdxSample};
        for (int i = 0; i < 1000; ++i) {
            sample.push_back(static_cast<uint8_t>(byte(rng)));
        }
        AppendReaderFrame(wire, sample);
    }
    return wire;
}

void BM_PutByte(benchmark::State& state) {
    const Bytes wire = RealisticStream();
    CFrameParser parser;
    int64_t good = 0;
    for (auto _ : state) {
        for (const uint8_t b : wire) {
            good += parser.PutByte(b) == 1 ? 1 : 0;
        }
        benchmark::DoNotOptimize(good);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(wire.size()));
    state.counters["frames"] = benchmark::Counter(static_cast<double>(good), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PutByte);

void BM_BuildFrame(benchmark::State& state) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<Bytes> payloads;
    for (int length = 1; length <= CFrameParser::kMaxPayload; ++length) {
        Bytes p(static_cast<size_t>(length));
        for (auto& b : p) {
            b = static_cast<uint8_t>(byte(rng));
        }
        payloads.push_back(p);
    }
    CFrameParser parser;
    uint8_t buffer[CFrameParser::kMaxFrame];
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const auto& p : payloads) {
            std::copy(p.begin(), p.end(), buffer);
            const int n = parser.BuildFrame(buffer, static_cast<int>(p.size()), 0);
            benchmark::DoNotOptimize(buffer);
            bytes += n;
        }
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(payloads.size()));
}
BENCHMARK(BM_BuildFrame);

void BM_DecodeTagData(benchmark::State& state) {
    Bytes frame = {CFrameParser::kStx, 0x01, CFrameParser::kMarker};
    const Bytes tag = TagMessage();
    frame.insert(frame.end(), tag.begin(), tag.end());
    frame.push_back(0x00);  // the CRC byte the receiver keeps
    CTransponderId id;
    for (auto _ : state) {
        id.DecodeTagData(frame);
        benchmark::DoNotOptimize(id);
    }
    if (id.GetNationalId() != "123456789012" || id.GetEventText() != "Sheep 42") {
        state.SkipWithError("the message did not decode");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_DecodeTagData);

}  // namespace

BENCHMARK_MAIN();
