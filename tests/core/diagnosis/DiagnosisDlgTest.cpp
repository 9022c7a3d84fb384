// The Diagnosis window's logic behind the real request engine: what it asks the main window to
// send, what it keeps of the answers as they arrive off the line, what it draws and what it files.
#include "../app/AppFakes.h"
#include "../tags/TagsTestSupport.h"

#include "core/diagnosis/DiagnosisDlg.h"
#include "core/diagnosis/SampleFile.h"
#include "core/link/Commands.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

struct CountingView final : IDiagnosisView {
    void Repaint() override { ++repaints; }
    int repaints = 0;
};

class DiagnosisDlgTest : public ::testing::Test {
protected:
    DiagnosisDlgTest() : engine(port, mainView, prompt), dlg(engine, prompt, view) {
        engine.Start(AppSettings{1, 9600, 1, 0}, {});
        engine.Windows().Register(Caption::kDiagnosis, &dlg);
        port.writes.clear();
    }

    // Through the line and the engine; a body of at most 49 bytes.
    void Answer(Bytes body, uint8_t status = 0x06) {
        const Bytes wire = AnswerWire(std::move(body), status);
        engine.OnRxBytes(wire.data(), static_cast<int>(wire.size()));
    }
    // A frame of any length as the receiver delivers it: STX, node, F0, status, body, CRC byte.
    void Deliver(const Bytes& body, uint8_t status = 0x06) {
        Bytes frame{CFrameParser::kStx, 0x01, CFrameParser::kMarker, status};
        frame.insert(frame.end(), body.begin(), body.end());
        frame.push_back(kCrc);
        dlg.OnResponse(frame.data(), static_cast<int>(frame.size()));
    }
    Bytes Block(uint8_t code, size_t count, uint8_t first = 0) {
        Bytes body{code};
        for (size_t i = 0; i < count; ++i) {
            body.push_back(static_cast<uint8_t>(first + i));
        }
        return body;
    }
    std::vector<Bytes> Sent(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            engine.OnTimer();
        }
        return port.Payloads();
    }
    Primitives Draw() const { return Diagnosis::Draw(dlg.Snapshot(kArea)); }
    static std::vector<std::string> Texts(const Primitives& p) {
        std::vector<std::string> out;
        for (const auto& q : p) {
            if (q.kind == Primitive::kText) {
                out.push_back(q.text);
            }
        }
        return out;
    }
    static const Primitive* Find(const Primitives& p, Primitive::Kind kind) {
        const auto it =
            std::find_if(p.begin(), p.end(), [kind](const Primitive& q) { return q.kind == kind; });
        return it == p.end() ? nullptr : &*it;
    }

    static constexpr uint8_t kCrc = 0xC5;
    static constexpr Area kArea{0, 0, 670, 290};  // yB 250, H 240, column 40
    FakePort port;
    FakeView mainView;
    FakePrompt prompt;
    CReaderToolDlg engine;
    CountingView view;
    CDiagnosisDlg dlg;
    TempDir dir;
};

TEST_F(DiagnosisDlgTest, StartSendsTheCheckedModesRequestAndStopEndsSampling) {
    const struct {
        bool CDiagnosisDlg::Fields::*box;
        uint8_t sent;
    } cases[] = {
        {nullptr, Cmd::kGetRssi},
        {&CDiagnosisDlg::Fields::sampleFdx, Cmd::kStartFdxSample},
        {&CDiagnosisDlg::Fields::sampleHdx, Cmd::kStartHdxSample},
        {&CDiagnosisDlg::Fields::sampleUb, Cmd::kStartUbSample},
    };
    for (const auto& c : cases) {
        dlg.Data() = {};
        if (c.box != nullptr) {
            dlg.Data().*c.box = true;
        }
        port.writes.clear();
        dlg.OnStart();
        EXPECT_FALSE(dlg.ControlStates().startEnabled || dlg.ControlStates().sampleHdxEnabled);
        EXPECT_EQ(Sent(1), std::vector<Bytes>{{c.sent}});
        Answer({c.sent, 0x80});
        dlg.OnStop();
        EXPECT_TRUE(dlg.ControlStates().startEnabled && dlg.ControlStates().sampleFdxEnabled);
        EXPECT_EQ(Sent(30).size(), 1u);
        const auto& flags = engine.Sampling();
        EXPECT_FALSE(flags.fdx || flags.hdx || flags.ub || flags.rssi);
    }
}

TEST_F(DiagnosisDlgTest, RssiAnswersFillTheRingAndWrapAfter512) {
    dlg.OnStart();
    for (int i = 0; i < 512; ++i) {
        Answer({Cmd::kGetRssi, static_cast<uint8_t>(i * 7)});
        engine.OnTimer();
    }
    EXPECT_EQ(port.Payloads(), std::vector<Bytes>{{Cmd::kGetRssi}});
    EXPECT_EQ(dlg.RssiPosition(), 0);
    EXPECT_EQ(dlg.Samples()[511], static_cast<uint8_t>(511 * 7));
    EXPECT_EQ(dlg.Snapshot(kArea).angle, static_cast<uint8_t>(511 * 7) * 180 / 255);
    Answer({Cmd::kGetRssi, 0xFF});
    EXPECT_EQ(dlg.RssiPosition(), 1);
    EXPECT_EQ(dlg.Samples()[0], 0xFF);
    EXPECT_EQ(dlg.Snapshot(kArea).angle, 180);
    EXPECT_EQ(view.repaints, 513);
}

TEST_F(DiagnosisDlgTest, AnswersThatAreNotSamplesOrTooLongAreIgnored) {
    Answer(Block(Cmd::kStartFdxSample, 3, 0x40));
    const auto before = dlg.Samples();
    const Bytes ignored[] = {
        Block(Cmd::kStartFdxSample, 1000),  // 1000 samples and the CRC byte: 1001 after position 5
        Block(Cmd::kVersion, 20),
        {Cmd::kGetRssi},  // no value before the CRC byte
    };
    for (const auto& body : ignored) {
        Deliver(body);
    }
    Answer(Block(Cmd::kStartFdxSample, 20), 0x15);  // refused
    EXPECT_EQ(dlg.Samples(), before);
    EXPECT_EQ(view.repaints, 1);
    // A block is kept as it left the reader, its CRC byte after the samples.
    Deliver(Block(Cmd::kStartHdxSample, 999, 1));
    EXPECT_EQ(dlg.Samples()[998], static_cast<uint8_t>(999));
    EXPECT_EQ(dlg.Samples()[999], kCrc);
}

TEST_F(DiagnosisDlgTest, ModeBoxesExcludeEachOtherAndZoomShowsOnlyAtTheNextRepaint) {
    dlg.Data().average = true;
    dlg.Data().sampleHdx = true;
    dlg.OnSampleHdx();
    dlg.Data().sampleFdx = true;
    dlg.OnSampleFdx();
    EXPECT_TRUE(dlg.Data().sampleFdx && !dlg.Data().sampleHdx && !dlg.Data().average);
    EXPECT_FALSE(dlg.ControlStates().averageEnabled);
    dlg.Data().zoomIndex = 0;  // "800%": a selection change has no handler
    EXPECT_EQ(view.repaints, 2);
    dlg.OnReset();
    EXPECT_EQ(view.repaints, 3);
    const auto p = Draw();
    EXPECT_EQ(Find(p, Primitive::kPolyline)->points.size(), 64u);
    dlg.Data().sampleFdx = false;
    dlg.OnSampleFdx();
    EXPECT_TRUE(dlg.ControlStates().averageEnabled);
}

TEST_F(DiagnosisDlgTest, ShiftStopsAtTheLastViewThatStaysInsideTheData) {
    const struct {
        bool CDiagnosisDlg::Fields::*box;
        int zoom;
        bool dft;
        int last;
    } cases[] = {
        {&CDiagnosisDlg::Fields::sampleFdx, 3, false, 488}, {&CDiagnosisDlg::Fields::sampleUb, 3, false, 488},
        {&CDiagnosisDlg::Fields::sampleUb, 0, false, 936},  {&CDiagnosisDlg::Fields::sampleFdx, 3, true, 0},
        {&CDiagnosisDlg::Fields::sampleFdx, 0, true, 224},  {&CDiagnosisDlg::Fields::sampleUb, 3, true, 128},
        {&CDiagnosisDlg::Fields::sampleUb, 0, true, 240},
    };
    for (const auto& c : cases) {
        dlg.Data() = {};
        dlg.Data().*c.box = true;
        dlg.Data().zoomIndex = c.zoom;
        dlg.Data().dft = c.dft;
        dlg.OnReset();
        for (int i = 0; i < 1100; ++i) {
            dlg.OnShiftLeft();
        }
        EXPECT_EQ(dlg.Shift(), c.last);
        Draw();  // reads only inside the buffers (the sanitizer run would tell)
        dlg.OnShiftRight();
        EXPECT_EQ(dlg.Shift(), std::max(0, c.last - 1));
    }
    // Back at 100 % from 800 %, ">>" moves the view at its first press.
    dlg.Data() = {};
    dlg.Data().sampleFdx = true;
    dlg.Data().zoomIndex = 0;
    for (int i = 0; i < 1100; ++i) {
        dlg.OnShiftLeft();
    }
    ASSERT_EQ(dlg.Shift(), 936);
    dlg.Data().zoomIndex = 3;
    dlg.OnShiftRight();
    EXPECT_EQ(dlg.Shift(), 487);
}

TEST_F(DiagnosisDlgTest, UbTraceAndGridLabels) {
    dlg.Data().sampleUb = true;
    const auto p = Draw();
    const auto* trace = Find(p, Primitive::kPolyline);
    EXPECT_EQ(trace->points.size(), 256u);
    EXPECT_EQ(trace->pen, (Pen{Pen::kSolid, 2, 0x0000FF}));
    const auto texts = Texts(p);
    EXPECT_EQ(texts[0], " 0.0V");
    EXPECT_EQ(texts[10], "21.5V");
    EXPECT_EQ(texts[12], "0.0ms");
    EXPECT_EQ(texts.back(), "27.4ms");
    EXPECT_EQ(Find(p, Primitive::kLine)->pen, (Pen{Pen::kDot, 1, 0}));
}

TEST_F(DiagnosisDlgTest, BlockWithDftOnIsTransformedAndAutosavedRaw) {
    dlg.Data().dft = true;
    dlg.Data().autosave = true;
    dlg.Data().prefix = dir / "run";
    std::tm t{};
    t.tm_mday = 5, t.tm_hour = 14, t.tm_min = 7, t.tm_sec = 9;
    dlg.SetLocalTime([t] { return t; });
    dlg.OnDft();
    Deliver(Block(Cmd::kStartFdxSample, 600, 0x80));
    EXPECT_EQ(std::string(dlg.DftCaption()), "On");
    double sum = 0;
    for (int i = 0; i < 512; ++i) {
        sum += static_cast<uint8_t>(0x80 + i);
    }
    EXPECT_DOUBLE_EQ(dlg.Values()[0], sum);
    EXPECT_EQ(dlg.Values()[300], static_cast<uint8_t>(0x80 + 300));
    EXPECT_EQ(ReadAll(dir / "run1_05140709.dat"), std::string(dlg.Samples().begin(), dlg.Samples().begin() + 512));
    EXPECT_EQ(dlg.AutosaveCounter(), 2);
    EXPECT_EQ(SampleFile::AutosaveName("run\nrest", 3, t), "run3_05140709.dat");

    // The spectrum: bars from the base line, their height by the "Zoom:" gain; empty is -1.
    // The ramp repeats every 256 samples: its line is bin 2, drawn as the second bar.
    const auto up = Draw();
    EXPECT_EQ(
        std::count_if(up.begin(), up.end(), [](const Primitive& p) { return p.kind == Primitive::kBar; }),
        255);
    const auto* line = Find(up, Primitive::kBar) + 1;
    EXPECT_EQ(line->points[1].y, 250 - static_cast<int>(240 * 3.846153846153846e-05 * dlg.Values()[2]));
    EXPECT_LT(line->points[1].y, 100);
    dlg.Data().gain.clear();
    EXPECT_EQ(dlg.Gain(), -1);
    const auto down = Draw();
    EXPECT_GT((Find(down, Primitive::kBar) + 1)->points[1].y, 400);
    dlg.Data().gain = "2147483647";  // far off the area, but a height a painter can take
    const auto huge = Draw();
    EXPECT_EQ((Find(huge, Primitive::kBar) + 1)->points[1].y, 250 - 1000000);
    // The strongest bin carries its frequency on the grid's scale (40 pixels a column).
    const auto texts = Texts(up);
    EXPECT_EQ(texts.back(), "0.24 kHz");
    EXPECT_EQ(texts[texts.size() - 2], "30.4kHz");
}

TEST_F(DiagnosisDlgTest, SilentBinDrawsOnTheBaseLineInTheLogView) {
    dlg.Data().dft = true;
    dlg.Data().log = true;
    dlg.OnDft();  // all samples 0: every magnitude is 0
    const auto p = Draw();
    const auto* bar = Find(p, Primitive::kBar);
    EXPECT_EQ(bar->points[0], bar->points[1]);
}

TEST_F(DiagnosisDlgTest, SaveAndLoadKeepTheWindowAsItWasWhenTheyFail) {
    Deliver(Block(Cmd::kStartFdxSample, 600, 1));
    prompt.savePath = dir / "a.dat";
    dlg.OnSave();
    prompt.savePath = dir / "b";
    dlg.OnSave();
    EXPECT_EQ(ReadAll(dir / "a.dat").size(), 512u);
    EXPECT_EQ(ReadAll(dir / "b.dat"), ReadAll(dir / "a.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.dat.dat"));

    std::ofstream(dir / "short.dat", std::ios::binary) << "\xAA\xBB\xCC";
    prompt.openPath = dir / "short.dat";
    dlg.OnLoad();
    EXPECT_EQ(Bytes(dlg.Samples().begin(), dlg.Samples().begin() + 5), (Bytes{0xAA, 0xBB, 0xCC, 4, 5}));
    EXPECT_EQ(prompt.messages.at(0).second,
              "Loaded its 3 bytes as the first of 512; the samples after them are the ones shown before.");
    prompt.messages.clear();

    const auto before = dlg.Samples();
    prompt.openPath = dir / "missing.dat";
    dlg.OnLoad();
    prompt.savePath = dir / "no/such";
    dlg.OnSave();
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[0].first, "Cannot read " + prompt.openPath + ": No such file or directory");
    EXPECT_EQ(prompt.messages[1].first,
              "Cannot write " + prompt.savePath + ".dat: No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.dat"));
    EXPECT_EQ(dlg.Samples(), before);

    // Autosave into a folder that is not there: told once, not for every block.
    dlg.Data().autosave = true;
    dlg.Data().prefix = dir / "no/run";
    Deliver(Block(Cmd::kStartFdxSample, 600));
    Deliver(Block(Cmd::kStartFdxSample, 600));
    EXPECT_EQ(prompt.messages.size(), 3u);
    EXPECT_EQ(dlg.AutosaveCounter(), 1);
}

TEST(Instrument, SetUpAsTheWindowDoesAndDrawn) {
    CInstrument gauge;
    gauge.Configure(100, 50, 150, 5, 10);
    gauge.SetRange(0, 5, 10);
    EXPECT_EQ(gauge.SetLabel("U RSSI (V)"), 0);
    EXPECT_EQ(gauge.SetLabel(std::string(100, 'x')), 1);
    EXPECT_EQ(gauge.Band(), 7);
    Primitives p;
    gauge.Draw(Area{0, 0, 600, 300}, 90, p);
    // Frame, 51 minor ticks, 6 major ticks with numbers, needle (from the centre), label (the
    // refused one did not replace it).
    ASSERT_EQ(p.size(), 1u + 51 + 12 + 1 + 1);
    EXPECT_EQ(p[0].points, (std::vector<Point>{{100, 60}, {480, 260}}));
    EXPECT_EQ(p[p.size() - 2].points, (std::vector<Point>{{290, 250}, {290, 100}}));
    EXPECT_EQ(p.back().text, "U RSSI (V)");
}

}  // namespace
