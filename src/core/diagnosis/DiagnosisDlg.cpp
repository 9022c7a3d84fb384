#include "core/diagnosis/DiagnosisDlg.h"

#include "core/diagnosis/SampleFile.h"
#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/util/Format.h"

#include <algorithm>
#include <cstring>

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

void CDiagnosisDlg::OnShiftLeft() {
    if (m_shift < Diagnosis::MaxShift(Mode(), m_fields.zoomIndex, m_fields.dft)) {
        ++m_shift;
    }
    m_view.Repaint();
}

void CDiagnosisDlg::OnShiftRight() {
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
    if (SampleFile::Read(path, m_samples.data(), Diagnosis::kBlockBytes, error) < 0) {
        m_prompt.Message(error);
        return;
    }
    if (m_fields.dft) {
        Transform();
    }
    m_view.Repaint();
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
