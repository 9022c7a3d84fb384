#pragma once

#include "cli/CliOptions.h"
#include "cli/CliSequence.h"
#include "core/app/ReaderToolDlg.h"
#include "core/config/ConfigFile.h"
#include "core/link/FrameParser.h"
#include "platform/SerialPort.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <sys/types.h>
#include <cstdio>
#include <memory>

class CliDatasets;
class CMonitorDlg;
class EmbeddedSimulator;
class TagFeed;

// One run of the command-line program: the same engine, port and parsers as the GUI, with this
// object in the place of the main window's view, its prompts and a tool window.
class CliRunner final : public QObject, public IMainView, public IPrompt, public IToolWindow {
    Q_OBJECT

public:
    enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2, kNoPort = 3, kInterrupted = 130 };

    explicit CliRunner(const CliOptions& options, FILE* out = stdout, FILE* err = stderr);
    ~CliRunner() override;

    int Run();
    // Ctrl-C: ends the run at the next tick, the port closed and what was written kept.
    static void RequestStop();
    // SIGINT: the program ends with kInterrupted, as shells expect of a program stopped by Ctrl-C.
    static void NoteInterrupt();
    static bool Interrupted();

    // IMainView
    void ShowTagFields(const std::string& countryCode, const std::string& nationalId,
                       const std::string& tagType, const std::string& eventText) override;
    void ShowStatusLine(const std::string&) override {}
    void ShowConnectCaption(const std::string&) override {}
    IConfigSheet* CreateConfigSheet() override { return nullptr; }
    void DestroyConfigSheet() override {}
    void ShowConfigPage(int) override {}

    // IPrompt: no one to ask on a script's line; messages go to stderr.
    void Message(const std::string& text, const std::string& detail = {}) override;
    bool YesNo(const std::string&) override { return false; }
    std::string OpenFileName(const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&) override { return {}; }

    // IToolWindow
    void OnRxBytes(const uint8_t* bytes, int count) override;
    void OnTxBytes(const std::string& text) override;
    void OnResponse(const uint8_t* frame, int length) override;

private:
    int Ports();
    int OpenLink();
    void StartCommand();
    bool RefuseFile(const ConfigFile::Summary& summary);
    void OnTimerTick();
    void DrawProgress();
    void ClearProgress();
    // Standard output when it shares the terminal with the progress bar.
    static ssize_t WriteData(void* cookie, const char* bytes, size_t size);
    void Finish(int code);
    void Error(const std::string& text);
    void SendRequest(const CTelegram& request);
    void OnSequenceEnd(int answer);
    bool IsDownload() const { return m_options.command == "datasets download"; }
    void CheckDownload();
    void MonitorEmit(bool all);

    CliOptions m_options;
    FILE* m_out;
    FILE* m_err;
    CSerialPort m_serial;
    CReaderToolDlg m_engine;
    CliSequence m_sequence;
    std::unique_ptr<EmbeddedSimulator> m_simulator;
    std::unique_ptr<TagFeed> m_feed;  // listen: builds the JSON lines, and serves them with --feed
    std::unique_ptr<CliDatasets> m_datasets;
    QTimer m_timer;
    QEventLoop m_loop;
    QElapsedTimer m_elapsed;
    int m_exitCode = kOk;
    bool m_finished = false;
    int m_waitTicks = 0;  // ticks left for an awaited answer; 0 = none awaited
    AnswerKey m_awaited;  // the awaited answer's command code (and sub-code)
    int m_tags = 0;
    ConfigRecord m_fileRecord;
    bool m_writeAfterRead = false;  // "config write": the read of what the file lacks is running
    std::unique_ptr<CMonitorDlg> m_monitor;
    size_t m_monitorPrinted = 0;
    bool m_progressShown = false;
    FILE* m_terminal = nullptr;  // the real standard output behind m_out, when both are one terminal
    std::string m_comError;      // told at the next tick
};
