#include "core/diagnosis/DiagnosisDrawing.h"

#include "core/util/Format.h"

#include <algorithm>
#include <cmath>

namespace Diagnosis {

namespace {

// Milliseconds that the 15 grid columns span at "100%", by channel.
constexpr double kFdxSpanMs = 8.47;
constexpr double kHdxSpanMs = 15.761439588688946;
constexpr double kOtherSpanMs = 27.376863753213367;
constexpr double kKhzPerColumn = 2.025333333333333;
constexpr double kUbVoltsPerRow = 4.3;
constexpr int kAverageEndX = 1062;
// 15 columns of kKhzPerColumn span 255.5 bins at "100%".
constexpr double kKhzPerBin = 2 * 15 * kKhzPerColumn / 511;

const Pen kDefaultPen{};
const Pen kGridPen{Pen::kDot, 1, 0x000000};
const Pen kTracePen{Pen::kSolid, 2, kTraceRgb};
const Pen kAveragePen{Pen::kSolid, 1, kAverageRgb};

int Zoom(int zoomIndex) {
    switch (zoomIndex) {
        case 0:
            return 8;
        case 1:
            return 4;
        case 2:
            return 2;
        default:
            return 1;
    }
}

Primitive Line(const Pen& pen, Point a, Point b) {
    return Primitive{Primitive::kLine, pen, {a, b}, {}, Primitive::kLeftTop};
}

Primitive Text(Point at, std::string text, Primitive::Align align) {
    return Primitive{Primitive::kText, kDefaultPen, {at}, std::move(text), align};
}

// A height in pixels: whatever gain the "Zoom:" edit holds, it stays a number a painter can take.
int Pixels(double height) {
    return static_cast<int>(std::clamp(height, -1e6, 1e6));
}

int Sample(const Snapshot& s, int position, bool ub) {
    return ub ? (s.samples[position] << 8) | s.samples[position + 1] : s.samples[position];
}

double SpanMs(Mode mode) {
    return mode == Mode::kFdx ? kFdxSpanMs : mode == Mode::kHdx ? kHdxSpanMs : kOtherSpanMs;
}

int Points(const Snapshot& s) {
    const int n = ZoomPoints(s.zoomIndex);
    return s.mode == Mode::kUb ? n / 2 : n;
}

int EffectiveShift(const Snapshot& s) {
    return std::clamp(s.shift, 0, std::max(0, MaxShift(s.mode, s.zoomIndex, s.dft)));
}

}  // namespace

double PointSpacing(const Snapshot& s) {
    const double dx = static_cast<double>(s.area.right - s.area.left - 70) / (Points(s) - 1);
    return s.dft ? 2 * dx : dx;
}

Axes ViewAxes(const Snapshot& s) {
    const double spacing = PointSpacing(s);
    Axes axes;
    if (!(spacing > 0)) {
        return axes;
    }
    // A sample keeps its time (a bin its frequency) at every zoom: the grid's scale at "100%".
    const bool ub = s.mode == Mode::kUb && !s.dft;
    const double perPoint = s.dft ? kKhzPerBin : SpanMs(s.mode) / (ub ? 255 : 511);
    axes.perPixel = perPoint / spacing;
    axes.origin = (ub ? EffectiveShift(s) / 2 : EffectiveShift(s)) * perPoint;
    if (!s.dft) {
        axes.voltsPerCount = ub ? 5 * kUbVoltsPerRow / 1024 : 5.0 / 256;
    }
    return axes;
}

Reading ReadAt(const Snapshot& s, int x) {
    Reading r;
    const double spacing = PointSpacing(s);
    if (!s.oscilloscope || spacing <= 0 || x < 40) {
        return r;
    }
    const int k = static_cast<int>(std::lround((x - 40) / spacing));
    const int n = Points(s);
    const int shift = EffectiveShift(s);
    r.spectrum = s.dft;
    if (s.dft) {
        if (k < 1 || k > n / 2 - 1) {
            return r;
        }
        r.index = shift + k;
        r.value = s.values[r.index];
    } else {
        if (k >= n) {
            return r;
        }
        const bool ub = s.mode == Mode::kUb;
        r.index = ub ? shift + 2 * k : shift + k;
        r.value = Sample(s, r.index, ub);
    }
    const Axes axes = ViewAxes(s);
    r.position = axes.origin + k * spacing * axes.perPixel;
    r.volts = r.value * axes.voltsPerCount;
    r.valid = true;
    return r;
}

int ZoomPoints(int zoomIndex) {
    return 512 / Zoom(zoomIndex);
}

int MaxShift(Mode mode, int zoomIndex, bool dft) {
    int n = ZoomPoints(zoomIndex);
    // A UB point is two bytes: half as many points, for the spectrum as for the trace.
    if (mode == Mode::kUb) {
        n /= 2;
    }
    if (dft) {
        // Display bins run to half - 1.
        return kBins - n / 2;
    }
    return mode == Mode::kUb ? kSampleBytes - 2 * n : kSampleBytes - n;
}

Primitives Draw(const Snapshot& s) {
    const int l = s.area.left;
    const int t = s.area.top;
    const int r = s.area.right;
    const int b = s.area.bottom;
    Primitives out;
    out.push_back({Primitive::kRect, kDefaultPen, {{l, t}, {r, b}}, {}, Primitive::kLeftTop});
    if (!s.oscilloscope) {
        if (s.instrument != nullptr) {
            s.instrument->Draw(s.area, s.angle, out);
        }
        return out;
    }

    const int yB = b - 40;
    const int H = b - t - 50;
    const int R = H / 5;
    const int C = (r - l - 70) / 15;
    const bool ub = s.mode == Mode::kUb;

    for (int j = 0; j <= 5; ++j) {
        const int y = yB - j * R;
        out.push_back(Line(kGridPen, {40, y}, {r - 30, y}));
        if (!s.dft) {
            const std::string label = ub ? Format("%4.1fV", j * kUbVoltsPerRow) : Format("%2dV", j);
            out.push_back(Text({2, y - 10}, label, Primitive::kLeftTop));
            out.push_back(Text({r - 30, y - 10}, label, Primitive::kLeftTop));
        }
    }

    const Axes axes = ViewAxes(s);
    for (int i = 0; i <= 15; ++i) {
        const int x = 40 + i * C;
        out.push_back(Line(kGridPen, {x, yB + 5}, {x, yB - (5 * R + 5)}));
        const double at = axes.origin + i * C * axes.perPixel;
        const std::string label = s.dft ? Format("%2.1fkHz", at) : Format("%2.1fms", at);
        out.push_back(Text({x, i % 2 == 0 ? yB + 35 : yB + 20}, label, Primitive::kCenterBaseline));
    }

    int n = ZoomPoints(s.zoomIndex);
    if (ub) {
        n /= 2;
    }
    const double V = ub ? H * 0.0009765625 : H * 0.00390625;
    const double dx = static_cast<double>(r - l - 70) / (n - 1);
    // A shift left over from another zoom or mode is drawn at the last one that fits.
    const int shift = EffectiveShift(s);
    long sum = 0;
    if (!s.dft) {
        Primitive trace{Primitive::kPolyline, kTracePen, {}, {}, Primitive::kLeftTop};
        trace.points.reserve(n);
        for (int k = 0; k < n; ++k) {
            const int v = Sample(s, ub ? shift + 2 * k : shift + k, ub);
            sum += v;
            trace.points.push_back({40 + static_cast<int>(k * dx), yB - static_cast<int>(v * V)});
        }
        out.push_back(std::move(trace));
    } else {
        const int half = n / 2;
        auto x = [&](int k) { return 40 + static_cast<int>(2 * k * dx); };
        auto m = [&](int k) { return s.values[shift + k]; };
        const double scale = static_cast<double>(s.gain) * H * 3.846153846153846e-05;
        auto top = [&](int k) {
            if (!s.log) {
                return yB - Pixels(scale * m(k));
            }
            // A silent bin has no logarithm; it stays on the base line.
            const double height =
                m(k) > 0.0 ? (H * 0.06666666666666667) * (15 - std::log10(25700 / m(k))) : 0.0;
            return yB - Pixels(height);
        };
        if (s.line && !s.log) {
            Primitive trace{Primitive::kPolyline, kTracePen, {}, {}, Primitive::kLeftTop};
            for (int k = 1; k <= half - 2; ++k) {
                trace.points.push_back({x(k), top(k)});
            }
            out.push_back(std::move(trace));
        } else {
            for (int k = 1; k <= half - 1; ++k) {
                out.push_back({Primitive::kBar, kTracePen, {{x(k), yB}, {x(k), top(k)}}, {}, {}});
            }
        }
        // The strongest bin on show, labelled with its frequency above its bar.
        int best = 1;
        for (int k = 2; k <= half - 1; ++k) {
            best = m(k) > m(best) ? k : best;
        }
        if (half > 1 && m(best) > 0.0) {
            const Point at{x(best), std::max(t + 14, std::min(top(best), yB) - 6)};
            out.push_back({Primitive::kText,
                           kTracePen,
                           {at},
                           Format("%.2f kHz", axes.origin + 2 * best * dx * axes.perPixel),
                           Primitive::kCenterBaseline});
        }
    }
    if (s.average) {
        const int a = static_cast<int>(sum / 512);
        out.push_back(Line(kAveragePen, {40, yB - a}, {kAverageEndX, yB - a}));
    }
    return out;
}

}  // namespace Diagnosis
