// The Diagnosis window bound to the main window and the in-process simulated reader: the real
// buttons, the bytes that leave, and what the area is given to paint.
#include "../core/app/AppFakes.h"

#include "core/link/Commands.h"
#include "gui/app/MainWindow.h"
#include "gui/diagnosis/DiagnosisWindow.h"
#include "sim/SimLink.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cstdio>
#include <tuple>

#include <gtest/gtest.h>

namespace {

class DiagnosisWindowTest : public ::testing::Test {
protected:
    explicit DiagnosisWindowTest(bool developer = false)
        : link(1, 3), window(link, prompt, MainWindowOptions{developer}) {
        link.SetReceiver([this](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
        link.Reader().SetRequestObserver(
            [this](uint8_t, const std::vector<uint8_t>& payload) { codes.push_back(payload.at(0)); });
        AppSettings settings;
        settings.port = 4;
        settings.node = 255;
        window.Start(settings);
        window.Action(MainWindow::kDiagnosis)->trigger();
        diagnosis = window.Diagnosis();
    }
    template <typename T = QPushButton>
    T* Control(const char* name) {
        T* widget = diagnosis->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Click(const char* name) {
        auto* button = Control<QAbstractButton>(name);
        // Near the left edge: a check box takes clicks on its box and caption only.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void Tick(int n) {
        for (int i = 0; i < n; ++i) {
            link.Advance(100);
            window.Logic().OnTimer();
        }
    }
    const Primitive* Trace() {
        primitives = diagnosis->CurrentPrimitives();
        for (const auto& p : primitives) {
            if (p.kind == Primitive::kPolyline) {
                return &p;
            }
        }
        return nullptr;
    }

    // The readout's time, and the axis's at its column (between the labels around it).
    std::pair<double, double> ReadoutAndAxisAt(int x) {
        const QString text = Control<QLabel>("readout")->text();
        EXPECT_TRUE(text.endsWith(" V")) << text.toStdString();
        double x0 = 0, t0 = 0;
        for (const auto& p : diagnosis->CurrentPrimitives()) {
            if (p.kind != Primitive::kText || !p.text.ends_with("ms")) {
                continue;
            }
            const double t = QString::fromStdString(p.text).chopped(2).toDouble();
            if (p.points[0].x >= x) {
                return {text.section(QLatin1Char(' '), 0, 0).toDouble(),
                        t0 + (t - t0) * (x - x0) / (p.points[0].x - x0)};
            }
            x0 = p.points[0].x, t0 = t;
        }
        return {};
    }

    SimLink link;
    FakePrompt prompt;
    MainWindow window;
    DiagnosisWindow* diagnosis = nullptr;
    std::vector<uint8_t> codes;
    Primitives primitives;
};

TEST_F(DiagnosisWindowTest, FdxSamplingDrawsTheReadersBlockAndExitStopsIt) {
    ASSERT_NE(diagnosis, nullptr);
    EXPECT_EQ(diagnosis->windowTitle(), "Diagnosis");
    EXPECT_EQ(Control("reset")->toolTip(), "Move diagnosis screen to original position ");
    EXPECT_FALSE(Control<QCheckBox>("sampleUb")->isVisibleTo(diagnosis));
    Click("sampleFdx");
    Click("start");
    EXPECT_FALSE(Control("start")->isEnabled());
    Tick(10);
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes[0], Cmd::kStartFdxSample);
    const auto& samples = diagnosis->Logic().Samples();
    const Primitive* trace = Trace();
    ASSERT_NE(trace, nullptr);
    ASSERT_EQ(trace->points.size(), 512u);
    EXPECT_NE(samples[100], 0);
    const int height = diagnosis->DrawingArea()->height() - 50;
    EXPECT_EQ(trace->points[100].y,
              diagnosis->DrawingArea()->height() - 40 - static_cast<int>(samples[100] * height / 256.0));

    QTest::keyClick(diagnosis, Qt::Key_Escape);
    EXPECT_TRUE(diagnosis->isVisible());
    Click("exit");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.Diagnosis(), nullptr);
    EXPECT_FALSE(window.Logic().Windows().IsOpen(Caption::kDiagnosis));
    const size_t sent = codes.size();
    Tick(20);
    EXPECT_EQ(codes.size(), sent);
}

TEST_F(DiagnosisWindowTest, WheelZoomsAboutTheCursorDragPansAndExportWritesPngAndCsv) {
    Click("sampleFdx");
    Click("start");
    Tick(10);
    QWidget* area = diagnosis->DrawingArea();
    auto* readout = Control<QLabel>("readout");
    const QPoint at(300, 100);
    QTest::mouseMove(area, at);
    // QString reads the C locale's decimal point, whatever the user's locale is.
    const auto milliseconds = [readout] {
        return readout->text().section(QLatin1Char(' '), 0, 0).toDouble();
    };
    const double before = milliseconds();
    QWheelEvent wheel(at, area->mapToGlobal(at), {}, {0, 240}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(area, &wheel);
    EXPECT_EQ(Control<QComboBox>("zoom")->currentText(), "400%");
    const double after = milliseconds();
    EXPECT_NEAR(after, before, 8.47 / 511);  // the same sample stays under the cursor
    auto [shown, axis] = ReadoutAndAxisAt(at.x());
    EXPECT_NEAR(shown, axis, 0.1);

    const int shift = diagnosis->Logic().Shift();
    QTest::mousePress(area, Qt::LeftButton, {}, at);
    QTest::mouseMove(area, at - QPoint(100, 0));
    QTest::mouseRelease(area, Qt::LeftButton, {}, at - QPoint(100, 0));
    EXPECT_GT(diagnosis->Logic().Shift(), shift);
    std::tie(shown, axis) = ReadoutAndAxisAt(at.x() - 100);
    EXPECT_NEAR(shown, axis, 0.1);
    EXPECT_NEAR(shown, after, 0.05);  // the dragged sample stays under the cursor

    QTemporaryDir dir;
    prompt.savePath = dir.filePath("view.png").toStdString();
    Click("export");
    EXPECT_FALSE(QImage(dir.filePath("view.png")).isNull());
    QFile csv(dir.filePath("view.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    EXPECT_EQ(lines[0], "time_ms,value");
    EXPECT_EQ(lines.size(), 514);  // header, 512 samples, the empty rest after the last line end
    EXPECT_TRUE(prompt.messages.empty());
}

class DiagnosisDeveloperTest : public DiagnosisWindowTest {
protected:
    DiagnosisDeveloperTest() : DiagnosisWindowTest(true) {}
};

TEST_F(DiagnosisDeveloperTest, HiddenControlsAreOfferedAndTheInstrumentShowsRssi) {
    EXPECT_TRUE(Control<QCheckBox>("sampleUb")->isVisibleTo(diagnosis));
    Click("instrument");
    EXPECT_FALSE(Control<QCheckBox>("sampleHdx")->isVisibleTo(diagnosis));
    Click("start");
    Tick(3);
    EXPECT_EQ(codes, std::vector<uint8_t>{Cmd::kGetRssi});
    primitives = diagnosis->CurrentPrimitives();
    EXPECT_EQ(primitives.back().text, "U RSSI (V)");
    EXPECT_EQ(Trace(), nullptr);
}

}  // namespace
