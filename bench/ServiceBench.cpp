// What the traffic monitor costs on a busy line: one second of mixed traffic at 115200 baud
// (11520 bytes: tag messages, answers, ASCII tag lines, module text) in the batches a serial
// port hands over, plus the transmit lines of that second.
#include "core/app/WindowInterfaces.h"
#include "core/service/BluetoothDlg.h"
#include "core/service/MonitorDlg.h"
#include "sim/SimulatedReader.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class NullMain final : public IMainWindow {
public:
    void OnSendTelegram(const CTelegram&) override {}
    void OnSendNow(const CTelegram&) override {}
    void OnMainCommand(MainCommand, int) override {}
};

constexpr size_t kBytesPerSecond = 11520;
constexpr size_t kBatch = 64;  // what a USB adapter typically hands over at a time

Bytes OneSecondOfTraffic() {
    Bytes wire;
    const SimulatedReader::Transponder tag{984, 123456789012ULL, 5, "Sheep 42"};
    const std::string line = "984 000000004711\r\n";
    const std::string module = "\r\nOK\r\n";
    for (int i = 0; wire.size() < kBytesPerSecond; ++i) {
        Bytes part;
        switch (i % 4) {
            case 0:
                part = SimulatedReader::BuildAnswerFrame(
                    1, SimulatedReader::BuildTagReport(tag, SimulatedReader::TagForm::kChar16));
                break;
            case 1:
                part = SimulatedReader::BuildAnswerFrame(1, Bytes{0x06, 0x29, 0x34, 0x32});
                break;
            case 2:
                part.assign(line.begin(), line.end());
                break;
            default:
                part.assign(module.begin(), module.end());
                break;
        }
        wire.insert(wire.end(), part.begin(), part.end());
    }
    wire.resize(kBytesPerSecond);
    return wire;
}

template <typename Window>
void Run(benchmark::State& state, Window& window) {
    const Bytes wire = OneSecondOfTraffic();
    for (auto _ : state) {
        for (size_t at = 0; at < wire.size(); at += kBatch) {
            window.OnRxBytes(wire.data() + at, static_cast<int>(std::min(kBatch, wire.size() - at)));
        }
        // Ten requests a second: the engine transmits at most one per 100 ms tick.
        for (int i = 0; i < 10; ++i) {
            window.OnTxBytes("02 01 f0 29 34 c7 03  Read timeout request ");
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * wire.size()));
    // Percent of one core that one second of line traffic takes.
    state.counters["core_percent"] =
        benchmark::Counter(0.01, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_MonitorOneSecondAt115200(benchmark::State& state) {
    NullMain main;
    CMonitorDlg monitor(main, [] { return int64_t{0}; });
    monitor.m_ascii = state.range(0) != 0;
    Run(state, monitor);
}
BENCHMARK(BM_MonitorOneSecondAt115200)->Arg(0)->Arg(1)->ArgName("ascii");

void BM_ConsoleMonitorOneSecondAt115200(benchmark::State& state) {
    NullMain main;
    struct Quiet final : IPrompt {
        void Message(const std::string&, const std::string&) override {}
        bool YesNo(const std::string&) override { return false; }
        std::string OpenFileName(const std::string&) override { return {}; }
        std::string SaveFileName(const std::string&) override { return {}; }
    } prompt;
    CBluetoothDlg console(main, prompt);
    Run(state, console);
}
BENCHMARK(BM_ConsoleMonitorOneSecondAt115200);

}  // namespace

BENCHMARK_MAIN();
