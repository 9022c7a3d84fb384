#include "core/diagnosis/DiagnosisDlg.h"

#include "core/diagnosis/SampleFile.h"
#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/util/Format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace {

constexpr int kDataStart = 5;
constexpr int kModeHdx = 0;
constexpr int kModeRssi = 1;
constexpr int kModeFdx = 2;
constexpr int kModeUb = 3;
constexpr int kModeStop = 4;

std::tm Now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

}  // namespace

CDiagnosisDlg::CDiagnosisDlg(IMainWindow& main, IPrompt& prompt, IDiagnosisView& view, bool developer)
    : m_main(main), m_prompt(prompt), m_view(view), m_localTime(Now) {
    if (developer) {
        m_controls.sampleUbVisible = m_controls.sampleUbEnabled = true;
        m_controls.oscilloscopeVisible = m_controls.oscilloscopeEnabled = true;
        m_controls.instrumentVisible = m_controls.instrumentEnabled = true;
        m_controls.logVisible = m_controls.logEnabled = true;
    }
    m_instrument.Configure(100, 50, 150, 5, 10);
    m_instrument.SetRange(0, 5, 10);
    m_instrument.SetLabel("U RSSI (V)");
}

void CDiagnosisDlg::OnModeCheck(bool Fields::*box) {
    const bool checked = m_fields.*box;
    if (checked) {
        // One channel at a time, drawn as a trace; the average line belongs to RSSI only.
        m_fields.sampleFdx = m_fields.sampleHdx = m_fields.sampleUb = false;
        m_fields.*box = true;
        m_fields.average = false;
        m_fields.oscilloscope = true;
    }
    m_controls.averageEnabled = !checked;
    m_controls.oscilloscopeEnabled = !checked;
    m_controls.instrumentEnabled = !checked;
    m_view.Repaint();
}

void CDiagnosisDlg::OnOscilloscope() {
    m_controls.averageVisible = true;
    m_controls.sampleHdxVisible = true;
    m_view.Repaint();
}

void CDiagnosisDlg::OnInstrument() {
    m_fields.oscilloscope = false;
    m_controls.averageVisible = false;
    m_controls.sampleHdxVisible = false;
    m_view.Repaint();
}

void CDiagnosisDlg::OnStart() {
    m_controls.sampleHdxEnabled = m_controls.sampleUbEnabled = false;
    m_controls.startEnabled = m_controls.sampleFdxEnabled = false;
    const int mode = m_fields.sampleHdx   ? kModeHdx
                     : m_fields.sampleFdx ? kModeFdx
                     : m_fields.sampleUb  ? kModeUb
                                          : kModeRssi;
    m_main.OnMainCommand(MainCommand::kSampleMode, mode);
}

void CDiagnosisDlg::OnStop() {
    m_main.OnMainCommand(MainCommand::kSampleMode, kModeStop);
    m_controls.startEnabled = m_controls.sampleHdxEnabled = m_controls.sampleFdxEnabled = true;
    m_controls.sampleUbEnabled = true;
}

// The zoom, the DFT and the mode move the last view that fits; a shift left beyond it from an
// earlier one would take hundreds of presses before ">>" showed anything.
void CDiagnosisDlg::OnShiftLeft() {
    SetShift(m_shift + 1);
    m_view.Repaint();
}

void CDiagnosisDlg::OnShiftRight() {
    SetShift(m_shift);
    if (m_shift > 0) {
        --m_shift;
    }
    m_view.Repaint();
}

void CDiagnosisDlg::OnReset() {
    m_shift = 0;
    m_view.Repaint();
}

void CDiagnosisDlg::OnDft() {
    SetShift(m_shift);
    if (m_fields.dft) {
        Transform();
    }
    m_view.Repaint();
}

void CDiagnosisDlg::OnLoad() {
    const std::string path = m_prompt.OpenFileName(kFileFilter);
    if (path.empty()) {
        return;
    }
    std::string error;
    const int read = SampleFile::Read(path, m_samples.data(), Diagnosis::kBlockBytes, error);
    if (read < 0) {
        m_prompt.Message(error);
        return;
    }
    if (read > 0) {
        if (m_fields.dft) {
            Transform();
        }
        m_view.Repaint();
    }
    // A block file holds exactly one block; anything else is loaded as far as it goes, and the
    // user learns which samples are not from it.
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (read == 0) {
        m_prompt.Message("File shorter than a block: " + path, "It is empty; nothing was loaded.");
    } else if (read < Diagnosis::kBlockBytes) {
        m_prompt.Message("File shorter than a block: " + path,
                         Format("Loaded its %d bytes as the first of %d; the samples after them are "
                                "the ones shown before.",
                                read, Diagnosis::kBlockBytes));
    } else if (!ec && size > static_cast<uintmax_t>(Diagnosis::kBlockBytes)) {
        m_prompt.Message("File longer than a block: " + path,
                         Format("Loaded its first %d bytes; the other %ju were not read.",
                                Diagnosis::kBlockBytes, size - Diagnosis::kBlockBytes));
    }
}

void CDiagnosisDlg::OnSave() {
    const std::string chosen = m_prompt.SaveFileName(kFileFilter);
    if (chosen.empty()) {
        return;
    }
    std::string error;
    if (SampleFile::Write(SampleFile::SaveName(chosen), m_samples.data(), Diagnosis::kBlockBytes, error) !=
        0) {
        m_prompt.Message(error);
    }
}

void CDiagnosisDlg::OnExit() {
    m_main.OnMainCommand(MainCommand::kWindowClosing, Resource::kDiagnosis);
}

void CDiagnosisDlg::OnResponse(const uint8_t* frame, int length) {
    if (length <= 4 || frame[3] != CFrameParser::kAck) {
        return;
    }
    switch (frame[4]) {
        case Cmd::kGetRssi:
            // The value, then the CRC byte: a shorter frame carries no value.
            if (length < kDataStart + 2) {
                return;
            }
            if (m_rssiPosition >= Diagnosis::kBlockBytes) {
                m_rssiPosition = 0;
                return;
            }
            m_samples[m_rssiPosition] = frame[kDataStart];
            if (++m_rssiPosition >= Diagnosis::kBlockBytes) {
                m_rssiPosition = 0;
            }
            m_view.Repaint();
            return;
        case Cmd::kStartHdxSample:
        case Cmd::kStartFdxSample:
        case Cmd::kStartUbSample: {
            // Everything after the code, the CRC byte last, as the reader sent it.
            const int count = length - kDataStart;
            if (count > Diagnosis::kSampleBytes) {
                return;
            }
            std::memcpy(m_samples.data(), frame + kDataStart, count);
            if (m_fields.dft) {
                Transform();
            }
            if (m_fields.autosave) {
                Autosave();
            }
            m_view.Repaint();
            return;
        }
        default:
            return;
    }
}

void CDiagnosisDlg::Transform() {
    std::copy(m_samples.begin(), m_samples.begin() + Diagnosis::kBlockBytes, m_values.begin());
    m_dft.Compute(m_values.data(), Diagnosis::kBlockBytes);
    m_dft.CopyMagnitudes(m_values.data());
}

void CDiagnosisDlg::Autosave() {
    const std::string name = SampleFile::AutosaveName(m_fields.prefix, m_autosaveCounter, m_localTime());
    std::string error;
    if (SampleFile::Write(name, m_samples.data(), Diagnosis::kBlockBytes, error) != 0) {
        // Blocks keep coming every 0.8 s: one message per failing run, not one per block.
        if (!m_autosaveReported) {
            m_autosaveReported = true;
            m_prompt.Message(error);
        }
        return;
    }
    m_autosaveReported = false;
    ++m_autosaveCounter;
}

Diagnosis::Mode CDiagnosisDlg::Mode() const {
    if (m_fields.sampleFdx) {
        return Diagnosis::Mode::kFdx;
    }
    if (m_fields.sampleHdx) {
        return Diagnosis::Mode::kHdx;
    }
    if (m_fields.sampleUb) {
        return Diagnosis::Mode::kUb;
    }
    return Diagnosis::Mode::kRssi;
}

int CDiagnosisDlg::Gain() const {
    const std::string first = m_fields.gain.substr(0, m_fields.gain.find_first_of("\r\n"));
    if (m_fields.gain.empty()) {
        return -1;
    }
    int value = 0;
    return ParseInt(first, value) ? value : 0;
}

Diagnosis::Snapshot CDiagnosisDlg::Snapshot(const Area& area) const {
    Diagnosis::Snapshot s;
    s.samples = m_samples.data();
    s.values = m_values.data();
    s.mode = Mode();
    s.zoomIndex = m_fields.zoomIndex;
    s.shift = m_shift;
    s.oscilloscope = m_fields.oscilloscope;
    s.dft = m_fields.dft;
    s.line = m_fields.line;
    s.log = m_fields.log;
    s.average = m_fields.average;
    s.gain = Gain();
    const int newest = m_rssiPosition == 0 ? Diagnosis::kBlockBytes - 1 : m_rssiPosition - 1;
    s.angle = m_samples[newest] * 180 / 255;
    s.instrument = &m_instrument;
    s.area = area;
    return s;
}

int CDiagnosisDlg::Step() const {
    return Mode() == Diagnosis::Mode::kUb && !m_fields.dft ? 2 : 1;
}

void CDiagnosisDlg::SetShift(double shift) {
    const int last = std::max(0, Diagnosis::MaxShift(Mode(), m_fields.zoomIndex, m_fields.dft));
    m_shift = std::clamp(static_cast<int>(std::lround(shift)), 0, last);
}

void CDiagnosisDlg::OnWheel(const Area& area, int x, int steps) {
    const double before = Diagnosis::PointSpacing(Snapshot(area));
    if (!(before > 0)) {
        return;
    }
    const double under = m_shift + (x - 40) / before * Step();
    const int zoom = m_fields.zoomIndex < 0 ? 3 : m_fields.zoomIndex;
    m_fields.zoomIndex = std::clamp(zoom - steps, 0, 3);
    const double after = Diagnosis::PointSpacing(Snapshot(area));
    // Keep the point under the cursor where it is.
    SetShift(under - (x - 40) / after * Step());
    m_view.Repaint();
}

void CDiagnosisDlg::OnDrag(const Area& area, int pixels) {
    const double spacing = Diagnosis::PointSpacing(Snapshot(area));
    if (!(spacing > 0)) {
        return;
    }
    SetShift(m_dragShift - std::lround(pixels / spacing) * Step());
    m_view.Repaint();
}

std::string CDiagnosisDlg::Readout(const Area& area, int x) const {
    const Diagnosis::Reading r = Diagnosis::ReadAt(Snapshot(area), x);
    if (!r.valid) {
        return {};
    }
    return r.spectrum ? Format("%.2f kHz: %.0f", r.position, r.value)
                      : Format("%.3f ms: %.2f V", r.position, r.volts);
}

std::string CDiagnosisDlg::Csv() const {
    const Diagnosis::Mode mode = Mode();
    std::string out;
    if (m_fields.dft) {
        // The grid's frequency scale, as the readout and the peak label give it.
        out = "frequency_kHz,magnitude\n";
        for (int b = 0; b < Diagnosis::kBins; ++b) {
            out += Format("%.4f,%.3f\n", b * 2 * 15 * 2.025333333333333 / 511, m_values[b]);
        }
        return out;
    }
    const double span = mode == Diagnosis::Mode::kFdx   ? 8.47
                        : mode == Diagnosis::Mode::kHdx ? 15.761439588688946
                                                        : 27.376863753213367;
    out = "time_ms,value\n";
    if (mode == Diagnosis::Mode::kUb) {
        for (int k = 0; k < Diagnosis::kBlockBytes / 2; ++k) {
            out += Format("%.4f,%d\n", k * span / 255, (m_samples[2 * k] << 8) | m_samples[2 * k + 1]);
        }
        return out;
    }
    for (int k = 0; k < Diagnosis::kBlockBytes; ++k) {
        out += Format("%.4f,%d\n", k * span / 511, m_samples[k]);
    }
    return out;
}

int CDiagnosisDlg::ExportCsv(const std::string& base) {
    const std::string csv = Csv();
    std::string error;
    if (SampleFile::Write(base + ".csv", reinterpret_cast<const uint8_t*>(csv.data()), csv.size(), error) !=
        0) {
        m_prompt.Message(error);
        return -1;
    }
    return 0;
}
