// What a reader streaming tags costs: one second of tag data messages at 115200 baud (11520 bytes)
// in the batches a serial port hands over, through the engine into the traffic monitor and the
// tag history together, as the main window wires them.
#include "core/app/ReaderToolDlg.h"
#include "core/service/MonitorDlg.h"
#include "core/tags/TagHistory.h"
#include "sim/SimulatedReader.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kBytesPerSecond = 11520;
constexpr size_t kBatch = 64;

class OpenPort final : public ILinkPort {
public:
    int Open() override { return 1; }
    int Close() override { return 1; }
    int IsOpen() const override { return 1; }
    int Write(const uint8_t*, int) override { return 1; }
    void SetPortNumber(int) override {}
    int GetPortNumber() const override { return 1; }
    void SetBaudRate(uint32_t) override {}
    int SetDtr() override { return 1; }
    int ClearDtr() override { return 1; }
};

class Quiet final : public IPrompt {
public:
    void Message(const std::string&, const std::string&) override {}
    bool YesNo(const std::string&) override { return false; }
    std::string OpenFileName(const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&) override { return {}; }
};

// The main window's part: every decoded tag goes into the history.
class HistoryView final : public IMainView {
public:
    explicit HistoryView(TagHistory& history) : m_history(history) {}
    void ShowTagFields(const std::string& cc, const std::string& id, const std::string& type,
                       const std::string& ev) override {
        m_history.Add(cc, id, type, ev);
    }
    void ShowStatusLine(const std::string&) override {}
    void ShowConnectCaption(const std::string&) override {}
    IConfigSheet* CreateConfigSheet() override { return nullptr; }
    void DestroyConfigSheet() override {}
    void ShowConfigPage(int) override {}

private:
    TagHistory& m_history;
};

// Different animals, so that every read is a row of its own: the dearer case for the history.
Bytes OneSecondOfTags(uint64_t& next) {
    Bytes wire;
    while (wire.size() < kBytesPerSecond) {
        const SimulatedReader::Transponder tag{276, next++, 5, "K\xE4lber 17"};
        const Bytes frame = SimulatedReader::BuildAnswerFrame(
            1, SimulatedReader::BuildTagReport(tag, SimulatedReader::TagForm::kChar16));
        wire.insert(wire.end(), frame.begin(), frame.end());
    }
    wire.resize(kBytesPerSecond);
    return wire;
}

// Arg: rows already in the history (0, or full so that every read also drops the oldest).
void BM_TagsIntoHistoryAndMonitorOneSecondAt115200(benchmark::State& state) {
    int64_t ms = 0;
    TagHistory history(nullptr, [&ms] { return ms; });
    for (int64_t i = 0; i < state.range(0); ++i) {
        history.Add("0276", std::to_string(1000000 + i), "FDX-B", "");
    }
    OpenPort port;
    Quiet prompt;
    HistoryView view(history);
    CReaderToolDlg engine(port, view, prompt);
    CMonitorDlg monitor(engine, [] { return int64_t{0}; });
    engine.Windows().Register(Caption::kMonitor, &monitor);
    uint64_t next = 0;
    std::vector<Bytes> seconds;
    for (int i = 0; i < 8; ++i) {
        seconds.push_back(OneSecondOfTags(next));
    }
    size_t round = 0;
    long long reads = 0;
    for (auto _ : state) {
        const Bytes& wire = seconds[round++ % seconds.size()];
        const long long before = history.Reads();
        for (size_t at = 0; at < wire.size(); at += kBatch) {
            engine.OnRxBytes(wire.data() + at, static_cast<int>(std::min(kBatch, wire.size() - at)));
        }
        reads += history.Reads() - before;
        ms += 1000;
    }
    state.counters["tags_per_second"] = benchmark::Counter(static_cast<double>(reads) / state.iterations());
    state.counters["history_rows"] = benchmark::Counter(static_cast<double>(history.Size()));
    // Percent of one core that one second of line traffic takes.
    state.counters["core_percent"] =
        benchmark::Counter(0.01, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    engine.Windows().Unregister(Caption::kMonitor);
}
BENCHMARK(BM_TagsIntoHistoryAndMonitorOneSecondAt115200)
    ->Arg(0)
    ->Arg(static_cast<int64_t>(TagHistory::kMaxRows))
    ->ArgName("rows_before");

// Writing a full history to CSV: what "Export CSV" does on the window's thread.
void BM_CsvOfAFullHistory(benchmark::State& state) {
    TagHistory history(nullptr, [] { return int64_t{1796565807512LL}; });
    for (size_t i = 0; i < TagHistory::kMaxRows; ++i) {
        history.Add("0276", std::to_string(1000000 + i), "FDX-B", "K\xE4lber, \"rot\"");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(history.Csv());
    }
}
BENCHMARK(BM_CsvOfAFullHistory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
