#include "core/app/Connection.h"

#include "core/app/ReaderToolDlg.h"

#include <string_view>
#include <utility>

namespace {

constexpr uint32_t kFastBaud = 115200;
constexpr uint32_t kSlowBaud = 9600;
constexpr const char* kStopReconnecting = "Stop reconnecting";

}  // namespace

CConnection::CConnection(CReaderToolDlg& engine, ILinkPort& port, IMainView& view, IPrompt& prompt)
    : m_engine(engine), m_port(port), m_view(view), m_prompt(prompt) {}

void CConnection::Start(const AppSettings& settings, const std::vector<SystemPort>& devices) {
    m_settingsPort = settings.port;
    // The line runs at one of two rates; any other saved rate (a hand-edited value, the unparsed
    // default) means the reader's default of 9600 and is saved as such.
    const uint32_t baud = settings.baud == static_cast<int>(kFastBaud) ? kFastBaud : kSlowBaud;
    m_settingsBaud = static_cast<int>(baud);
    // The saved rate applies from the start: a reader set to 115200 baud would not answer at 9600.
    m_port.SetBaudRate(baud);
    m_portList.EnumeratePorts(devices);
    m_reconnect.SetEnabled(settings.reconnect != 0);
    Connect(settings.port);
}

void CConnection::Shutdown(AppSettings& settings) {
    m_reconnect.OnDisconnected();
    if (m_port.IsOpen()) {
        m_port.Close();
    }
    settings.reconnect = m_reconnect.Enabled() ? 1 : 0;
    settings.port = m_settingsPort;
    settings.baud = m_settingsBaud;
}

int CConnection::Connect(int port) {
    m_port.SetPortNumber(port);
    if (m_port.Open() != 0) {
        m_reconnect.OnConnected();
        m_view.ShowConnectCaption("Disconnect");
    } else {
        m_prompt.Message(CReaderToolDlg::kConnectionFailed, m_port.LastErrorText());
    }
    m_engine.UpdateStatusLine();
    return 0;
}

void CConnection::Disconnect() {
    m_reconnect.OnDisconnected();
    m_port.Close();
    m_engine.ClearStatusText();
    m_view.ShowConnectCaption("Connect");
    m_engine.UpdateStatusLine();
}

void CConnection::OnConnectButton() {
    // While the tool waits for a lost device the button ends the wait.
    if (m_port.IsOpen() != 0 || m_reconnect.IsWaiting()) {
        Disconnect();
    } else {
        Connect(m_port.GetPortNumber());
    }
}

void CConnection::OnPortLost(int64_t nowMs) {
    const bool wasWaiting = m_reconnect.IsWaiting();
    m_port.Close();
    m_engine.ResetLineState();
    if (m_reconnect.OnLost(nowMs)) {
        // No message box: it would cover the window and outlive the loss it reports, while the
        // tool opens the device again by itself. The status line says it until then.
        m_view.ShowConnectCaption(kStopReconnecting);
        if (!wasWaiting) {
            m_engine.ShowStatus(CReaderToolDlg::kConnectionLost, 0);
        }
        return;
    }
    m_engine.ClearStatusText();
    m_view.ShowConnectCaption("Connect");
    m_engine.UpdateStatusLine();
    m_prompt.Message(CReaderToolDlg::kConnectionLost,
                     "The connection to the reader was lost: the device went away (an unplugged "
                     "adapter or an ended simulator). Reconnect it and press Connect.");
}

std::string ComErrorWithWords(const std::string& comError) {
    // The port reports a failed read or write by its number alone.
    static constexpr std::pair<std::string_view, const char*> kWords[] = {
        {"<CE-1>", "the device is not there"},
        {"<CE-2>", "no permission for the device, or another program holds it"},
        {"<CE-3>", "the device could not be opened"},
        {"<CE-4>", "writing to the reader failed; check the cable and the adapter"},
        {"<CE-5>", "reading from the reader failed; check the cable and the adapter"},
        {"<CE-6>", "the port went away: adapter unplugged or reader switched off"},
        {"<CE-8>", "the port reported an unknown failure"},
        {"<CE-10>", "the port was not open"},
    };
    for (const auto& [code, words] : kWords) {
        if (std::string_view(comError).ends_with(code)) {
            return comError + ": " + words;
        }
    }
    return comError;
}

void CConnection::OnComError(const std::string& text) {
    // The port closes a device that went away before it reports the error: the loss that follows
    // speaks for it when the tool is about to reconnect by itself.
    if (m_port.IsOpen() == 0 && m_reconnect.Enabled() &&
        m_reconnect.GetState() == ReconnectPolicy::State::Connected) {
        return;
    }
    m_prompt.Message(ComErrorWithWords(text));
}

void CConnection::ReconnectStep(int64_t nowMs) {
    if (!m_reconnect.AttemptDue(nowMs)) {
        return;
    }
    // The same device as before: the port keeps its number or path. A failed attempt is quiet;
    // the status line already says the connection is lost.
    if (m_port.Reopen() == 0) {
        m_reconnect.OnAttemptFailed(nowMs);
        m_engine.UpdateStatusLine();  // the attempt's number
        return;
    }
    m_reconnect.OnConnected();
    m_engine.ResetLineState();
    m_view.ShowConnectCaption("Disconnect");
    m_engine.ShowStatus(CReaderToolDlg::kReconnected, CReaderToolDlg::kConnectedTicks);
}

CComPropertiesDlg CConnection::BeginComProperties(const std::vector<SystemPort>& devices) {
    Disconnect();
    m_portList.EnumeratePorts(devices);
    CComPropertiesDlg dialog(m_portList.Entries(), m_settingsPort, m_settingsBaud);
    dialog.m_reconnect = m_reconnect.Enabled();
    return dialog;
}

void CConnection::EndComProperties(const CComPropertiesDlg* confirmed) {
    if (confirmed != nullptr) {
        m_reconnect.SetEnabled(confirmed->m_reconnect);
    }
    if (confirmed != nullptr && confirmed->ChosenPort() >= 0) {
        m_settingsPort = confirmed->ChosenPort();
        m_port.SetPortNumber(m_settingsPort);
        m_settingsBaud = static_cast<int>(confirmed->ChosenBaud());
        m_port.SetBaudRate(confirmed->ChosenBaud());
    }
    Connect(m_port.GetPortNumber());
}
