#pragma once

#include "core/app/ComPropertiesDlg.h"
#include "core/app/LinkPort.h"
#include "core/app/PortList.h"
#include "core/app/ReconnectPolicy.h"
#include "core/app/Settings.h"

#include <string>
#include <vector>

// "COM Error <CE-n>" with what a technician should check, after the port's own text.
std::string ComErrorWithWords(const std::string& comError);

class CReaderToolDlg;
class IMainView;
class IPrompt;

// The main window's line: opening and closing the port, a device that goes away and comes back,
// and the choice of port and rate under "COM Properties". What the engine knows of the line
// (half frames, requests waiting for answers) it resets through the engine itself.
class CConnection final {
public:
    CConnection(CReaderToolDlg& engine, ILinkPort& port, IMainView& view, IPrompt& prompt);

    // The saved port, rate and reconnect choice; opens the port.
    void Start(const AppSettings& settings, const std::vector<SystemPort>& devices);
    // Closes the port and hands port, rate and reconnect choice back.
    void Shutdown(AppSettings& settings);

    int Connect(int port);
    void Disconnect();
    void OnConnectButton();
    void OnPortLost(int64_t nowMs);
    void OnComError(const std::string& text);
    // Opens a lost device again once an attempt is due.
    void ReconnectStep(int64_t nowMs);
    CComPropertiesDlg BeginComProperties(const std::vector<SystemPort>& devices);
    void EndComProperties(const CComPropertiesDlg* confirmed);

    const ReconnectPolicy& Reconnect() const { return m_reconnect; }

private:
    CReaderToolDlg& m_engine;
    ILinkPort& m_port;
    IMainView& m_view;
    IPrompt& m_prompt;
    CPortList m_portList;
    ReconnectPolicy m_reconnect;
    // The application's copies of port and baud: changed only by a confirmed "COM Properties".
    int m_settingsPort = -1;
    int m_settingsBaud = 9600;
};
