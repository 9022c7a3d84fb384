#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/diagnosis/Dft.h"
#include "core/diagnosis/DiagnosisDrawing.h"
#include "core/diagnosis/Instrument.h"

#include <array>
#include <ctime>
#include <functional>
#include <string>

// What the Diagnosis window's widget does for the logic.
class IDiagnosisView {
public:
    virtual ~IDiagnosisView() = default;
    // Draw the area again from a fresh snapshot.
    virtual void Repaint() = 0;
};

// The Diagnosis window's logic: the mode check boxes, Start/Stop through the main window, the
// sample blocks and RSSI values the reader answers with, the spectrum, and the sample files.
class CDiagnosisDlg final : public IToolWindow {
public:
    static constexpr const char* kFileFilter = "Data Files (*.dat)";

    // The controls' contents, copied in by the widget before a handler and out after it.
    struct Fields {
        bool sampleFdx = false;
        bool sampleHdx = false;
        bool sampleUb = false;
        bool average = false;
        bool oscilloscope = true;  // radio with instrument
        int zoomIndex = 3;         // "800%", "400%", "200%", "100%"; -1 none
        bool autosave = false;
        std::string prefix;
        bool dft = false;
        bool line = false;
        bool log = false;
        std::string gain = "1";
    };

    // Which controls are usable and shown; the widget applies this after every handler.
    struct Controls {
        bool startEnabled = true;
        bool sampleFdxEnabled = true;
        bool sampleHdxEnabled = true;
        bool sampleUbEnabled = false;
        bool averageEnabled = true;
        bool oscilloscopeEnabled = false;
        bool instrumentEnabled = false;
        bool logEnabled = false;
        bool sampleHdxVisible = true;
        bool averageVisible = true;
        // Offered for development only, as the window's template hides them.
        bool sampleUbVisible = false;
        bool oscilloscopeVisible = false;
        bool instrumentVisible = false;
        bool logVisible = false;
    };

    using LocalTime = std::function<std::tm()>;

    CDiagnosisDlg(IMainWindow& main, IPrompt& prompt, IDiagnosisView& view, bool developer = false);

    Fields& Data() { return m_fields; }
    const Controls& ControlStates() const { return m_controls; }
    const char* DftCaption() const { return m_fields.dft ? "On" : "Off"; }
    void SetLocalTime(LocalTime clock) { m_localTime = std::move(clock); }

    // Handlers, after the widget has copied the clicked control's new state into Data().
    void OnSampleFdx() { OnModeCheck(&Fields::sampleFdx); }
    void OnSampleHdx() { OnModeCheck(&Fields::sampleHdx); }
    void OnSampleUb() { OnModeCheck(&Fields::sampleUb); }
    void OnOscilloscope();
    void OnInstrument();
    void OnStart();
    void OnStop();
    void OnShiftLeft();
    void OnShiftRight();
    void OnReset();
    void OnAverage() { m_view.Repaint(); }
    void OnLine() { m_view.Repaint(); }
    void OnDft();
    void OnLoad();
    void OnSave();
    // Beyond the classic window: the mouse wheel zooms about the pixel column x (steps > 0 in),
    // dragging pans by whole points, and the readout names what lies under the cursor.
    void OnWheel(const Area& area, int x, int steps);
    void OnDragStart() { m_dragShift = m_shift; }
    void OnDrag(const Area& area, int pixels);
    std::string Readout(const Area& area, int x) const;
    // The block as CSV with a header line: the samples over time, or the spectrum when it is on.
    std::string Csv() const;
    // Writes Csv() to base + ".csv"; 0, or -1 with the reason told.
    int ExportCsv(const std::string& base);

    // "EXIT" and every other way of closing: the main window forgets the window and stops sampling.
    void OnExit();

    // IToolWindow
    void OnResponse(const uint8_t* frame, int length) override;

    Diagnosis::Mode Mode() const;
    // "Zoom:" as a number: its first line as a decimal integer, -1 when empty.
    int Gain() const;
    Diagnosis::Snapshot Snapshot(const Area& area) const;

    int Shift() const { return m_shift; }
    int AutosaveCounter() const { return m_autosaveCounter; }
    int RssiPosition() const { return m_rssiPosition; }
    const std::array<uint8_t, Diagnosis::kSampleBytes>& Samples() const { return m_samples; }
    const std::array<double, Diagnosis::kValueCount>& Values() const { return m_values; }
    const CInstrument& Instrument() const { return m_instrument; }

private:
    void OnModeCheck(bool Fields::*box);
    void Transform();
    void Autosave();
    // Buffer positions per trace point: 2 for UB samples, else 1.
    int Step() const;
    void SetShift(double shift);

    IMainWindow& m_main;
    IPrompt& m_prompt;
    IDiagnosisView& m_view;
    Fields m_fields;
    Controls m_controls;
    LocalTime m_localTime;

    int m_autosaveCounter = 1;
    bool m_autosaveReported = false;
    int m_shift = 0;
    int m_dragShift = 0;
    CDft m_dft;
    std::array<double, Diagnosis::kValueCount> m_values{};
    std::array<uint8_t, Diagnosis::kSampleBytes> m_samples{};
    int m_rssiPosition = 0;
    CInstrument m_instrument;
};
