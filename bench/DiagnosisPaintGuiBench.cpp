// One frame of the diagnosis area at 1600 x 1000: the drawing list and its painting, for the
// trace of an FDX block and for its spectrum.
#include "core/diagnosis/Dft.h"
#include "core/diagnosis/DiagnosisDrawing.h"
#include "gui/diagnosis/DiagnosisWindow.h"
#include "sim/SignalSource.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>

#include <benchmark/benchmark.h>

namespace {

void BM_PaintFrame(benchmark::State& state) {
    SignalSource source(1);
    std::array<uint8_t, Diagnosis::kSampleBytes> samples{};
    const auto block = source.FdxBlock();
    std::copy(block.begin(), block.end(), samples.begin());
    std::array<double, Diagnosis::kValueCount> values{};
    std::copy(block.begin(), block.end(), values.begin());
    CDft dft;
    dft.Compute(values.data(), Diagnosis::kBlockBytes);
    dft.CopyMagnitudes(values.data());
    Diagnosis::Snapshot s;
    s.samples = samples.data();
    s.values = values.data();
    s.mode = Diagnosis::Mode::kFdx;
    s.dft = state.range(0) != 0;
    s.area = Area{0, 0, 1600, 1000};
    QImage image(1600, 1000, QImage::Format_ARGB32_Premultiplied);
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(14);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setClipRect(image.rect());
        PaintPrimitives(painter, Diagnosis::Draw(s));
    }
}
// 0: the trace, 1: the spectrum.
BENCHMARK(BM_PaintFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
