// The same second of tags at 115200 baud as TagHistoryBench, through the whole window: the main
// window with its tag history open and the monitor window open, one event-loop turn (list and
// table updates, painting on the offscreen platform) after every batch the port hands over.
// Paced, the second takes a second of wall time, so that the views update as often as on a real
// line; the figure is the CPU time of the whole process.
#include "TagStream.h"
#include "gui/app/MainWindow.h"
#include "gui/app/TagHistoryPanel.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace tagstream;

void BM_TagsThroughTheWindowsOneSecondAt115200(benchmark::State& state) {
    OpenPort port;
    Quiet prompt;
    MainWindow window(port, prompt, MainWindowOptions{});
    window.Start(AppSettings{1, 9600, 1, 0});
    window.resize(820, 700);
    window.show();
    if ((state.range(0) & 4) != 0) {
        for (size_t i = 0; i < TagHistory::kMaxRows; ++i) {
            window.History()->AddTag("0276", std::to_string(1000000 + i), "FDX-B", "");
        }
    }
    if ((state.range(0) & 1) != 0) {
        window.History()->SetOpen(true);
    }
    if ((state.range(0) & 2) != 0) {
        window.Action(MainWindow::kMonitor)->trigger();
    }
    QApplication::processEvents();
    uint64_t next = 0;
    std::vector<Bytes> seconds;
    for (int i = 0; i < 4; ++i) {
        seconds.push_back(OneSecondOfTags(next));
    }
    size_t round = 0;
    for (auto _ : state) {
        const Bytes& wire = seconds[round++ % seconds.size()];
        if (state.range(1) == 0) {
            // Back to back, as fast as the windows take them: what each read costs, without the
            // paced updates (which then fall on only a few of the seconds).
            for (size_t at = 0; at < wire.size(); at += kBatch) {
                window.OnRxBytes(wire.data() + at, static_cast<int>(std::min(kBatch, wire.size() - at)));
                QApplication::processEvents();
            }
            continue;
        }
        // In the line's own time: each tenth of the second's batches, then the event loop until
        // that tenth is over, so the views update as often as they would (the wait costs no CPU).
        QElapsedTimer second;
        second.start();
        const size_t tenth = (wire.size() / kBatch / 10 + 1) * kBatch;
        for (size_t part = 0; part < wire.size(); part += tenth) {
            for (size_t at = part; at < std::min(part + tenth, wire.size()); at += kBatch) {
                window.OnRxBytes(wire.data() + at, static_cast<int>(std::min(kBatch, wire.size() - at)));
                QApplication::processEvents();
            }
            const qint64 end = static_cast<qint64>(part / tenth + 1) * 100;
            if (second.elapsed() < end) {
                QEventLoop idle;
                QTimer::singleShot(static_cast<int>(end - second.elapsed()), Qt::PreciseTimer, &idle,
                                   &QEventLoop::quit);
                idle.exec();
            }
        }
    }
    state.counters["history_rows"] =
        benchmark::Counter(static_cast<double>(window.History()->History().Size()));
    state.counters["core_percent"] =
        benchmark::Counter(0.01, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
// open 0: both closed, 1: history open, 2: monitor open, 3: both open; 7: both open, history
// full. paced 1: the second takes a second, 0: back to back.
BENCHMARK(BM_TagsThroughTheWindowsOneSecondAt115200)
    ->ArgsProduct({{0, 1, 2, 3, 7}, {1, 0}})
    ->ArgNames({"open", "paced"})
    ->Iterations(5)
    // Qt's raster painting fills large areas on a pool of threads of its own.
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
