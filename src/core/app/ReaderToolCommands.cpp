// The main window's commands: the configuration sheet, diagnosis sampling, the whole-configuration
// runs, configuration files and the event database switch.
#include "core/app/ReaderToolDlg.h"

#include "core/config/ConfigFileCommands.h"
#include "core/link/Commands.h"

namespace {
constexpr int kRealTimeClockPage = 3;  // Reader, Bluetooth, Events, RealTimeClock, ...
}  // namespace

void CReaderToolDlg::OnConfigurationButton() {
    if (m_sheet != nullptr) {
        m_sheet->BringToFront();
        return;
    }
    m_sheet = m_view.CreateConfigSheet();
    m_keepAliveTicks = kKeepAliveOnOpen;
}

void CReaderToolDlg::OnRealTimeClock() {
    OnConfigurationButton();
    m_view.ShowConfigPage(kRealTimeClockPage);
}

void CReaderToolDlg::OnMainCommand(MainCommand command, int argument) {
    switch (command) {
        case MainCommand::kWindowClosing: {
            const bool database = m_windows.IsOpen(Caption::kDatabase);
            const bool eventDatabase = m_windows.IsOpen(Caption::kEventDatabase);
            switch (argument) {
                case Resource::kMonitor:
                    m_windows.Unregister(Caption::kMonitor);
                    break;
                case Resource::kBluetooth:
                    m_windows.Unregister(Caption::kBluetooth);
                    break;
                case Resource::kTestTools:
                    m_windows.Unregister(Caption::kTestTools);
                    break;
                case Resource::kDatabase:
                    m_windows.Unregister(Caption::kDatabase);
                    if (m_sheet == nullptr && !eventDatabase) {
                        m_keepAliveTicks = 0;
                    }
                    break;
                case Resource::kEventDatabase:
                    m_windows.Unregister(Caption::kEventDatabase);
                    if (m_sheet == nullptr && !database) {
                        m_keepAliveTicks = 0;
                    }
                    break;
                case Resource::kConfigSheet:
                    m_sheet = nullptr;
                    if (!database && !eventDatabase) {
                        m_keepAliveTicks = 0;
                    }
                    break;
                case Resource::kSheetQuit:
                    m_view.DestroyConfigSheet();
                    m_sheet = nullptr;
                    if (database) {
                        m_keepAliveTicks = 0;
                    }
                    break;
                case Resource::kDiagnosis:
                    m_windows.Unregister(Caption::kDiagnosis);
                    StopSampling();
                    break;
                default:
                    break;
            }
            break;
        }
        case MainCommand::kSampleMode: {
            StopSampling();
            CTelegram request;
            switch (argument) {
                case 0:
                    m_sample.hdx = true;
                    request = CTelegram(Cmd::kStartHdxSample, Desc::kStartHdxSample, kKindFrame);
                    break;
                case 1:
                    m_sample.rssi = true;
                    request = CTelegram(Cmd::kGetRssi, Desc::kGetRssi, kKindFrame);
                    break;
                case 2:
                    m_sample.fdx = true;
                    request = CTelegram(Cmd::kStartFdxSample, Desc::kStartFdxSample, kKindFrame);
                    break;
                case 3:
                    m_sample.ub = true;
                    request = CTelegram(Cmd::kStartUbSample, Desc::kStartUbSample, kKindFrame);
                    break;
                default:
                    return;
            }
            m_sampleTicks = kSampleTicks;
            EnqueueTelegram(request);
            break;
        }
        case MainCommand::kReadConfig: {
            if (m_sequence == nullptr) {
                break;
            }
            const int n = m_sequence->StartRead();
            if (n != -1 && m_pages != nullptr) {
                m_pages->SetProgressRangeAll(n - 1);
            }
            break;
        }
        case MainCommand::kWriteConfig: {
            if (m_sequence == nullptr || m_sequence->IsRunning() != 0 || m_pages == nullptr) {
                break;
            }
            ConfigRecord record;
            if (m_pages->Collect(record) != 0) {
                break;  // the refusing page has said why
            }
            const int n = m_sequence->StartWrite(record);
            if (n != -1) {
                m_pages->SetProgressRangeAll(n - 1);
            }
            break;
        }
        case MainCommand::kSaveConfigFile:
        case MainCommand::kLoadConfigFile:
            if (m_pages != nullptr) {
                const int active = m_sheet != nullptr ? m_sheet->ActivePage() : 0;
                IPrompt& prompt = m_pages->SheetPrompt() != nullptr ? *m_pages->SheetPrompt() : m_prompt;
                if (command == MainCommand::kSaveConfigFile) {
                    ConfigFileCommands::Save(*m_pages, prompt, active);
                } else {
                    ConfigFileCommands::Load(*m_pages, prompt, active);
                }
            }
            break;
        case MainCommand::kEventDatabase:
            m_eventDatabaseActive = argument == 1;
            UpdateStatusLine();
            break;
    }
}
