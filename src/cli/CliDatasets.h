#pragma once

#include "cli/CliOptions.h"
#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/tags/DatabaseDlg.h"
#include "core/tags/ToolView.h"
#include "core/util/AtomicFile.h"
#include "core/util/TextFile.h"

#include <cstdio>
#include <functional>
#include <string>

// The datasets commands on the Database window's own logic: its requests, its retries by the
// tick, its lines and its files. This object stands in for the window's controls, its prompts and
// (between it and the engine) for the main window.
class CliDatasets final : public IMainWindow, public IPrompt, public IToolView {
public:
    static constexpr int kRunning = -1;

    CliDatasets(const CliOptions& options, IMainWindow& engine, FILE* out,
                std::function<void(const std::string&)> error);

    // Registered with the engine under the "Database" caption.
    CDatabaseDlg& Dialog() { return m_dialog; }

    // Sends the command's first request; false when the run cannot start (the message is given).
    bool Start();
    // count, get, clear: the answer to their request; the exit status.
    int OnSingleAnswer(const uint8_t* frame, int length);
    // download: kRunning, or the exit status once it has ended.
    int DownloadResult();
    // Ctrl-C: the files keep what was read.
    void Stop();
    bool IsDownloading() const { return m_dialog.State() != CDatabaseDlg::kIdle; }
    // "[#####.....] 1234/4095 datasets  312/s  0:09 left".
    std::string ProgressLine(double seconds) const;

    // IMainWindow: the window's requests on their way to the engine.
    void OnSendTelegram(const CTelegram& telegram) override;
    void OnSendNow(const CTelegram& telegram) override { m_engine.OnSendNow(telegram); }
    void OnMainCommand(MainCommand command, int argument) override {
        m_engine.OnMainCommand(command, argument);
    }

    // IPrompt: every message of the window is a failure of the run.
    void Message(const std::string& text, const std::string& detail = {}) override;
    bool YesNo(const std::string&) override { return m_options.yes; }
    std::string OpenFileName(const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&) override { return {}; }
    std::string SaveFileNameProposing(const std::string&, const std::string&) override;

    // IToolView
    void UpdateControls() override {}
    void StoreControls() override {}

private:
    void OnLine(const CDatabaseDlg::ReadAllLine& line);
    void Emit(const std::string& text);
    std::string SavedFiles() const;

    CliOptions m_options;
    IMainWindow& m_engine;
    FILE* m_out;
    std::function<void(const std::string&)> m_error;
    CDatabaseDlg m_dialog;
    CAtomicFile m_csvFile;
    std::string m_firstFile;
    int m_rows = 0;
    bool m_failed = false;
    bool m_stopped = false;
};
