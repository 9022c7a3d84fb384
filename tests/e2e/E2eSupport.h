#pragma once

// What the end-to-end tests share: corvantelle-sim as a process and the tool wired as main() does.
#include "core/app/AppFakes.h"

#include "gui/app/MainWindow.h"
#include "platform/SerialPort.h"
#include "simhost/EmbeddedSimulator.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

// corvantelle-sim started as a process; the device path is its first line.
class SimProcess {
public:
    explicit SimProcess(const QStringList& arguments) {
        m_process.start(QStringLiteral(CORVANTELLE_SIM_PATH), arguments);
    }
    ~SimProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
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

inline void Click(QWidget* parent, const char* name) {
    auto* button = parent->findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void Type(QWidget* parent, const char* name, const QString& text) {
    auto* edit = parent->findChild<QLineEdit*>(name);
    ASSERT_NE(edit, nullptr) << name;
    edit->clear();
    QTest::keyClicks(edit, text);
}

// The visible top-level window with this caption, or null.
template <typename T>
T* TopLevel(const char* caption) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowTitle() == QLatin1String(caption) && w->isVisible()) {
            return qobject_cast<T*>(w);
        }
    }
    return nullptr;
}

// The tool as main() wires it, on the device the simulator opened.
template <typename Prompt>
struct ToolWith {
    explicit ToolWith(const QString& device, const AppSettings& settings = {1, 9600, 255, 0},
                      const MainWindowOptions& options = {})
        : window(serial, prompt, options) {
        serial.SetDevicePath(device);
        window.AttachSerialPort(serial);
        window.show();
        window.Start(settings);
    }
    // The configuration sheet as its button opens it.
    ConfigSheet* OpenSheet() {
        QTest::mouseClick(window.findChild<QPushButton*>("configuration"), Qt::LeftButton);
        return window.Sheet();
    }
    CSerialPort serial;
    Prompt prompt;
    MainWindow window;
};
using Tool = ToolWith<FakePrompt>;

// What --simulate does: the simulated reader inside the tool, on its own pseudo-terminal.
template <typename Prompt = FakePrompt>
struct BuiltIn {
    explicit BuiltIn(const AppSettings& settings = {1, 9600, 255, 0}, const MainWindowOptions& options = {})
        : started(sim.Start()), tool(sim.DevicePath(), settings, options) {}
    EmbeddedSimulator sim;
    int started;  // 0 when the pseudo-terminal was made
    ToolWith<Prompt> tool;
};
