#pragma once

#include "core/app/ReaderToolDlg.h"
#include "core/config/ConfigPages.h"
#include "core/config/ConfigSequence.h"
#include "core/tags/CountryNames.h"
#include "gui/app/ElidedLabel.h"
#include "gui/app/QtPrompt.h"
#include "gui/config/ConfigSheet.h"
#include "gui/tags/DatabaseDialog.h"
#include "gui/tags/EventDatabaseDialog.h"
#include "gui/tags/TestToolsDialog.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class CSerialPort;
class DiagnosisWindow;
class TagHistoryPanel;
class UpdatePacer;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class TagFeed;

struct MainWindowOptions {
    bool developer = false;    // offer the hidden developer controls
    std::string dataFolder{};  // where the event database lives; empty: the working directory
};

// The main window "Corvantelle": owns the controls and binds them to CReaderToolDlg.
class MainWindow final : public QMainWindow, public IMainView {
    Q_OBJECT

public:
    // Menu command ids, as the windows and the help text name them.
    enum CommandId {
        kQuit = 40000,
        kComport = 40001,
        kMonitor = 40002,
        kDatabase = 40003,
        kLcdDisplay = 40005,
        kBluetooth = 40006,
        kRealTimeClock = 40007,
        kMemory = 40008,
        kMax884 = 40009,
        kDiagnosis = 40010,
        kTestTools = 40011,
        kInfo = 40012,
        kEventDatabase = 40013,
        kTagFeed = 40014,
    };

    MainWindow(ILinkPort& port, IPrompt& prompt, MainWindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: port list, connect, node list, timer.
    void Start(const AppSettings& settings);
    // Shutdown: owned windows destroyed, timer stopped, port closed, settings handed back.
    void Shutdown(AppSettings& settings);

    CReaderToolDlg& Logic() { return *m_logic; }
    CConfigPages& Pages() { return *m_pages; }
    ConfigSheet* Sheet() const { return m_sheet; }
    DatabaseDialog* Database() const { return m_database; }
    TestToolsDialog* TestTools() const { return m_testTools; }
    EventDatabaseDialog* EventDatabase() const { return m_eventDatabase; }
    const std::string& EventDatabasePath() const { return m_eventDatabasePath; }
    DiagnosisWindow* Diagnosis() const;
    TagHistoryPanel* History() const { return m_history; }
    // Received bytes and a lost device, from whoever owns the port.
    void OnRxBytes(const uint8_t* bytes, int count) { m_logic->OnRxBytes(bytes, count); }
    void OnPortLost();
    void OnComError(const std::string& text) { m_logic->OnComError(text); }
    // The tool's serial port: received bytes, a lost device and failed reads and writes reach
    // this window.
    void AttachSerialPort(CSerialPort& serial);
    // The machine's serial devices; replaced in tests.
    void SetPortEnumerator(std::function<std::vector<SystemPort>()> enumerate) {
        m_enumerate = std::move(enumerate);
    }
    QAction* Action(CommandId id) const;
    // The local tag feed takes the "Animal Counter" window's place and gets its entry under
    // Settings.
    void SetTagFeed(TagFeed* feed);
    // Called when "COM Properties" confirms a port, before reconnecting: a device opened by path
    // for this run gives way to the chosen COM port.
    void SetPortChosenHandler(std::function<void()> handler) { m_onPortChosen = std::move(handler); }

    // IMainView
    void ShowTagFields(const std::string& countryCode, const std::string& nationalId,
                       const std::string& tagType, const std::string& eventText) override;
    void ShowStatusLine(const std::string& text) override;
    void ShowConnectCaption(const std::string& caption) override;
    IConfigSheet* CreateConfigSheet() override;
    void DestroyConfigSheet() override;
    void ShowConfigPage(int index) override;

signals:
    // Every text the status line is given, in order, also when it repeats the last one.
    void statusLineChanged(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    QWidget* BuildTagGroup();
    QWidget* BuildDeveloperControls();
    void OnComport();
    void PaintTagFields();
    void PaintStatusLine();
    void OnInfo();
    void OnBuildCountryCodes(bool thirtyTwo);
    void OnLoadEvents();
    void OnDatabase();
    void OnTestTools();
    void OnEventDatabase();
    void OpenToolWindow(QPointer<QWidget>& window, const char* caption,
                        const std::function<QWidget*()>& make);
    void OnDiagnosis();

    ILinkPort& m_port;
    IPrompt& m_prompt;
    MainWindowOptions m_options;
    std::unique_ptr<CReaderToolDlg> m_logic;
    // The pages' questions and messages open over the sheet while it is open.
    WindowPrompt m_sheetPrompt;
    // The page objects live as long as the main window; only the sheet window comes and goes.
    std::unique_ptr<CConfigPages> m_pages;
    CConfigSequence m_sequence;
    QPointer<ConfigSheet> m_sheet;
    QPointer<DatabaseDialog> m_database;
    QPointer<TestToolsDialog> m_testTools;
    QPointer<EventDatabaseDialog> m_eventDatabase;
    std::string m_eventDatabasePath;
    CCountryNames m_countryNames;
    // Modeless service windows, made once and brought to the front when asked again.
    QPointer<QWidget> m_monitorWindow;
    QPointer<QWidget> m_bluetoothWindow;
    QPointer<DiagnosisWindow> m_diagnosis;
    std::function<std::vector<SystemPort>()> m_enumerate;
    std::function<void()> m_onPortChosen;
    std::string m_lineReported;
    bool m_shutDown = false;

    QTimer* m_timer;
    QLineEdit* m_countryCode = nullptr;
    QLineEdit* m_nationalId = nullptr;
    QLineEdit* m_tagType = nullptr;
    QLineEdit* m_eventText = nullptr;
    TagHistoryPanel* m_history = nullptr;
    std::array<std::string, 4> m_lastTag;
    std::unique_ptr<UpdatePacer> m_tagPacer;
    ElidedLabel* m_statusLine = nullptr;
    std::string m_statusText;
    std::string m_statusShown;
    std::unique_ptr<UpdatePacer> m_statusPacer;
    QPushButton* m_connect = nullptr;
    QPushButton* m_configuration = nullptr;
    QComboBox* m_nodeList = nullptr;
    QGroupBox* m_nodeGroup = nullptr;
    QCheckBox* m_testConnect = nullptr;
    std::vector<std::string> m_eventList;
    std::vector<std::pair<int, QAction*>> m_actions;
    QMenu* m_settingsMenu = nullptr;
};
