// The configuration sheet opened from the main window, talking to the simulated reader through
// the main window's queue.
#include "../core/app/AppFakes.h"

#include "core/link/Commands.h"
#include "gui/app/MainWindow.h"
#include "gui/service/UpdatePacer.h"
#include "sim/SimLink.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ConfigThroughMainWindow : public ::testing::Test {
protected:
    ConfigThroughMainWindow() : link(1, 5), window(link, prompt, MainWindowOptions{}) {
        link.SetReceiver([this](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
        link.Reader().SetRequestObserver(
            [this](uint8_t, const std::vector<uint8_t>& payload) { requests.push_back(payload); });
        AppSettings settings;
        settings.port = 1;
        settings.node = 1;
        window.show();
        window.Start(settings);
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            link.Advance(100);
            window.Logic().OnTimer();
        }
    }
    template <typename T>
    T* InSheet(const char* name, int page = 0) {
        EXPECT_NE(window.Sheet(), nullptr);
        window.Sheet()->SetActivePage(page);
        T* w = window.Sheet()->PageWidget(page)->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void OpenSheet() { QTest::mouseClick(window.findChild<QPushButton*>("configuration"), Qt::LeftButton); }

    SimLink link;
    FakePrompt prompt;
    MainWindow window;
    std::vector<std::vector<uint8_t>> requests;
};

TEST_F(ConfigThroughMainWindow, ConfigurationButtonOpensOneSheetAndQuitClosesIt) {
    OpenSheet();
    ASSERT_NE(window.Sheet(), nullptr);
    EXPECT_EQ(window.Sheet()->windowTitle(), "Configuration");
    EXPECT_TRUE(window.Logic().IsSheetOpen());
    ConfigSheet* first = window.Sheet();
    OpenSheet();
    EXPECT_EQ(window.Sheet(), first);
    EXPECT_EQ(window.findChildren<QTabWidget*>("configTabs").size(), 1);

    QTest::mouseClick(InSheet<QPushButton>("bandQuit"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.Sheet(), nullptr);
    EXPECT_FALSE(window.Logic().IsSheetOpen());
    OpenSheet();
    EXPECT_NE(window.Sheet(), nullptr);
}

TEST_F(ConfigThroughMainWindow, ReaderTimeoutSetAndReadBack) {
    OpenSheet();
    InSheet<QLineEdit>("readerTimeout")->setText("5000");
    QTest::mouseClick(InSheet<QPushButton>("readerSetTimeout"), Qt::LeftButton);
    Tick(30);
    EXPECT_EQ(link.Reader().GetConfig(CfgAddr::kTimeout), 0x32);
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0], (std::vector<uint8_t>{Cmd::kSetConfig, CfgAddr::kTimeout, 0x32}));
    EXPECT_EQ(requests[1], (std::vector<uint8_t>{Cmd::kGetConfig, CfgAddr::kTimeout}));
    EXPECT_EQ(InSheet<QLabel>("pageStatus")->text(), "      Set timeout success");

    InSheet<QLineEdit>("readerTimeout")->setText("");
    QTest::mouseClick(InSheet<QPushButton>("readerGetAll"), Qt::LeftButton);
    Tick(60);
    EXPECT_EQ(InSheet<QLineEdit>("readerTimeout")->text(), "5000");
    EXPECT_EQ(InSheet<QLineEdit>("readerStartCharacter")->text(), "I");

    QTest::mouseClick(InSheet<QPushButton>("readerGetVersion"), Qt::LeftButton);
    Tick(5);
    EXPECT_EQ(InSheet<QLineEdit>("readerVersion")->text().toStdString(), link.Reader().GetVersionText());
    EXPECT_EQ(InSheet<QLabel>("pageStatus")->text(), "      Get version success");
}

// "Read" over a Bluetooth link that answers 200 to 600 ms late while the reader reports tags:
// every page shows what the reader holds, not the value of the request before.
TEST_F(ConfigThroughMainWindow, ReadOnASlowBusyLineShowsTheReadersValues) {
    OpenSheet();
    InSheet<QLineEdit>("readerTimeout")->setText("3700");
    QTest::mouseClick(InSheet<QPushButton>("readerSetTimeout"), Qt::LeftButton);
    Tick(30);
    ASSERT_EQ(link.Reader().GetConfig(CfgAddr::kTimeout), 37);
    InSheet<QLineEdit>("readerTimeout")->setText("");
    SimulatedReader::Faults slow;
    slow.delayMs = 400;
    slow.jitterMs = 200;
    slow.oneAtATime = true;
    link.Reader().SetFaults(slow);
    link.Reader().SetTransponders({{.countryCode = 276, .nationalId = 1045, .type = 1, .eventText = {}}});
    link.Reader().SetTagInterval(300);
    QTest::mouseClick(InSheet<QPushButton>("bandRead"), Qt::LeftButton);
    for (int tick = 0;
         tick < 400 && InSheet<QLabel>("pageStatus")->text() != "      Read configuration success"; ++tick) {
        Tick();
    }
    EXPECT_EQ(InSheet<QLabel>("pageStatus")->text(), "      Read configuration success");
    EXPECT_EQ(InSheet<QLineEdit>("readerTimeout")->text(), "3700");
    EXPECT_EQ(InSheet<QLineEdit>("readerStartCharacter")->text(), "I");
}

// A long message is cut at the window's width, never widens it, and is whole in the tooltip.
TEST_F(ConfigThroughMainWindow, LongStatusTextsKeepTheirWindowsWidth) {
    OpenSheet();
    QWidget* sheet = InSheet<QLabel>("pageStatus")->window();
    QCoreApplication::processEvents();
    const int sheetWidth = sheet->width();
    const int mainWidth = window.width();
    const std::string longText = "Loaded garbage.cfg: 0 settings, defaults for " + std::string(400, 'x');
    window.Pages().Reader().ShowMainStatus(longText);
    window.ShowStatusLine(longText);
    ASSERT_TRUE(QTest::qWaitFor([] { return UpdatePacer::MsUntilNextUpdate() < 0; }, 1000));
    EXPECT_EQ(sheet->width(), sheetWidth);
    EXPECT_EQ(window.width(), mainWidth);
    EXPECT_EQ(InSheet<QLabel>("pageStatus")->toolTip().toStdString(), "      " + longText);
    EXPECT_EQ(window.findChild<QLabel*>("statusLine")->toolTip().toStdString(), longText);
}

TEST_F(ConfigThroughMainWindow, ClockOptimizationAndLcdReachTheReader) {
    window.Pages().Rtc().SetClock([] {
        std::tm t{};  // Sunday 8 March 2026, 14:07:09
        t.tm_year = 126;
        t.tm_mon = 2;
        t.tm_mday = 8;
        t.tm_wday = 0;
        t.tm_hour = 14;
        t.tm_min = 7;
        t.tm_sec = 9;
        return t;
    });
    OpenSheet();
    QTest::mouseClick(InSheet<QPushButton>("rtcSync", 3), Qt::LeftButton);
    Tick(3);
    EXPECT_EQ(requests.back(),
              (std::vector<uint8_t>{Cmd::kSetClock, 0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}));
    EXPECT_EQ(link.Reader().GetClockBytes()[2], 0x14);
    InSheet<QLineEdit>("rtcHours", 3)->clear();
    QTest::mouseClick(InSheet<QPushButton>("rtcGet", 3), Qt::LeftButton);
    Tick(3);
    EXPECT_EQ(InSheet<QLineEdit>("rtcHours", 3)->text(), "14");
    EXPECT_EQ(InSheet<QLineEdit>("rtcYear", 3)->text(), "26");

    auto* setting = InSheet<QRadioButton>("optSetting2", 6);
    QTest::mouseClick(setting, Qt::LeftButton, {}, QPoint(6, setting->height() / 2));
    QTest::mouseClick(InSheet<QPushButton>("optSet", 6), Qt::LeftButton);
    Tick(30);
    EXPECT_EQ(link.Reader().GetConfig(CfgAddr::kTiming), 2);
    EXPECT_TRUE(InSheet<QLabel>("pageStatus", 6)->text().endsWith(" success"))
        << InSheet<QLabel>("pageStatus", 6)->text().toStdString();

    auto* contrast = InSheet<QSpinBox>("lcdContrast", 4);
    contrast->setFocus();
    const int before = link.Reader().GetLcdContrast();
    contrast->stepUp();
    Tick(3);
    EXPECT_EQ(link.Reader().GetLcdContrast(), contrast->value());
    EXPECT_NE(link.Reader().GetLcdContrast(), before);
}

}  // namespace
