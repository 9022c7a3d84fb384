// What a reader streaming tags costs: one second of tag data messages at 115200 baud (11520 bytes)
// in the batches a serial port hands over, through the engine into the traffic monitor and the
// tag history together, as the main window wires them.
#include "TagStream.h"
#include "core/app/ReaderToolDlg.h"
#include "core/service/MonitorDlg.h"
#include "core/tags/TagHistory.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace tagstream;

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
