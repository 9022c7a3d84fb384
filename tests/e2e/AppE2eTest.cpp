// The whole tool road: corvantelle-sim on a pseudo-terminal, the tool's serial port, engine and
// main window.
#include "../core/app/AppFakes.h"

#include "gui/app/MainWindow.h"
#include "platform/SerialPort.h"

#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}

TEST(AppE2e, TagShowsUpAndAKilledSimulatorLeavesTheToolDisconnected) {
    QProcess sim;
    sim.start(QStringLiteral(CORVANTELLE_SIM_PATH),
              {"--tag-interval", "200", "--tag", "984:123456789012:fdx:Weigh", "--tag-form", "char16"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return sim.canReadLine(); }, 5000));
    const QString device = QString::fromUtf8(sim.readLine()).trimmed();
    ASSERT_TRUE(device.startsWith("/dev/")) << device.toStdString();

    CSerialPort serial;
    serial.SetDevicePath(device);
    FakePrompt prompt;
    MainWindow window(serial, prompt, MainWindowOptions{});
    serial.SetReceiver([&window](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
    serial.SetLostHandler([&window] { window.OnPortLost(); });
    AppSettings settings;
    settings.port = 1;
    settings.node = 255;
    window.show();
    window.Start(settings);
    ASSERT_TRUE(prompt.messages.empty()) << prompt.messages[0].second;

    auto* id = window.findChild<QLineEdit*>("nationalId");
    ASSERT_TRUE(WaitFor([&] { return id->text() == "123456789012"; }, 5000));
    EXPECT_EQ(window.findChild<QLineEdit*>("countryCode")->text(), "0984");
    EXPECT_EQ(window.findChild<QLineEdit*>("eventText")->text(), "Weigh");

    sim.kill();
    sim.waitForFinished(5000);
    ASSERT_TRUE(WaitFor([&] { return !prompt.messages.empty(); }, 5000));
    QTest::qWait(300);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].first, CReaderToolDlg::kConnectionLost);
    EXPECT_EQ(window.findChild<QPushButton*>("connect")->text(), "Connect");
    EXPECT_TRUE(window.findChild<QLabel*>("statusLine")->text().startsWith("Disconnected"));
    EXPECT_EQ(serial.IsOpen(), 0);
}

}  // namespace
