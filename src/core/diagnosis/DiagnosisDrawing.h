#pragma once

#include "core/diagnosis/Instrument.h"
#include "core/diagnosis/Primitives.h"

#include <cstdint>

namespace Diagnosis {

constexpr int kSampleBytes = 1000;  // the sample buffer
constexpr int kValueCount = 1024;   // the value array: transform input, then magnitudes
constexpr int kBlockBytes = 512;    // what a file holds, the transform reads and the RSSI ring spans
constexpr int kBins = 256;          // magnitudes of one transform

// Which receiver channel the mode check boxes select; none checked is RSSI.
enum class Mode { kRssi, kFdx, kHdx, kUb };

constexpr uint32_t kTraceRgb = 0x0000FF;
constexpr uint32_t kAverageRgb = 0xFF00FF;

// Everything the drawing depends on, as it stands at the time of painting.
struct Snapshot {
    const uint8_t* samples = nullptr;  // kSampleBytes
    const double* values = nullptr;    // kValueCount; entries 0..255 are the magnitudes after a transform
    Mode mode = Mode::kRssi;
    int zoomIndex = 3;  // 0 "800%", 1 "400%", 2 "200%", 3 "100%"; -1 none (counts as "100%")
    int shift = 0;
    bool oscilloscope = true;  // else the instrument
    bool dft = false;
    bool line = false;
    bool log = false;
    bool average = false;
    int gain = 1;   // the "Zoom:" edit of the spectrum
    int angle = 0;  // the instrument's needle
    const CInstrument* instrument = nullptr;
    Area area;
};

// Points across the area at a zoom index: 64, 128, 256 or 512 (UB draws half as many).
int ZoomPoints(int zoomIndex);
// The largest view shift that reads nothing outside the sample buffer, or outside the magnitudes
// when the spectrum is shown.
int MaxShift(Mode mode, int zoomIndex, bool dft);

// The whole drawing area, in painting order. Beyond the classic view, the strongest bin of a
// spectrum carries its frequency.
Primitives Draw(const Snapshot& s);

// The view transform that the grid labels, the peak label and the readout share, so that they
// agree after any zoom or shift: the time in ms (frequency in kHz for the spectrum) at the grid's
// first line and per pixel, and the volts of one sample count (0 for the spectrum, which has no
// unit on its axis).
struct Axes {
    double origin = 0.0;
    double perPixel = 0.0;
    double voltsPerCount = 0.0;
};
Axes ViewAxes(const Snapshot& s);

// What lies under the pixel column x of the trace or spectrum: the sample (or bin) index in the
// buffer, where its point is drawn on the axis, its value as sampled and on the vertical axis.
struct Reading {
    bool valid = false;
    bool spectrum = false;
    int index = 0;
    double position = 0.0;
    double value = 0.0;
    double volts = 0.0;
};
Reading ReadAt(const Snapshot& s, int x);
// Pixels between neighbouring points of the trace (spectrum: neighbouring bins).
double PointSpacing(const Snapshot& s);

}  // namespace Diagnosis
