#pragma once

// What the end-to-end tests share: corvantelle-sim as a process and the tool wired as main() does.
#include "core/app/AppFakes.h"

#include "gui/app/MainWindow.h"
#include "platform/SerialPort.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

#include <functional>

// corvantelle-sim started as a process; the device path is its first line.
class SimProcess {
public:
    explicit SimProcess(const QStringList& arguments) {
        m_process.start(QStringLiteral(CORVANTELLE_SIM_PATH), arguments);
    }
    QString Device() {
        if (!m_process.waitForStarted(5000) || !m_process.waitForReadyRead(5000)) {
            return {};
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    QProcess& Process() { return m_process; }

private:
    QProcess m_process;
};

inline bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}

// The tool as main() wires it, on the device the simulator opened.
struct Tool {
    explicit Tool(const QString& device, const AppSettings& settings = {1, 9600, 255, 0})
        : window(serial, prompt, MainWindowOptions{}) {
        serial.SetDevicePath(device);
        window.AttachSerialPort(serial);
        window.show();
        window.Start(settings);
    }
    CSerialPort serial;
    FakePrompt prompt;
    MainWindow window;
};
