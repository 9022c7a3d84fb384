#include "cli/CliRunner.h"

#include "cli/CliDatasets.h"
#include "core/app/Connection.h"
#include "core/app/NodeList.h"
#include "core/config/ConfigFile.h"
#include "core/config/PropPageRTC.h"
#include "core/link/CommandNames.h"
#include "core/link/Commands.h"
#include "core/link/PortDevice.h"
#include "core/service/MonitorDlg.h"
#include "core/util/Format.h"
#include "platform/PortEnumerator.h"
#include "platform/TagFeed.h"
#include "simhost/EmbeddedSimulator.h"

#include <QDateTime>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> g_stop{false};
std::atomic<bool> g_interrupted{false};

constexpr int kTickMs = 100;
// Two repetitions 5 ticks apart, then a second more for a slow line.
constexpr int kAnswerTicks = 25;
// The serial port reads a bare name as one under /dev; on a command line it is the file named.
QString DevicePathOf(const std::string& path) {
    const bool anchored = path.rfind('/', 0) == 0 || path.rfind("./", 0) == 0 || path.rfind("../", 0) == 0;
    return QString::fromStdString(anchored ? path : "./" + path);
}

}  // namespace

CliRunner::CliRunner(const CliOptions& options, FILE* out, FILE* err)
    : m_options(options), m_out(out), m_err(err), m_engine(m_serial, *this, *this) {
    // Data and the progress bar on one terminal: each piece of data first takes the bar away, so
    // a line of data never starts behind it, and the bar comes back below it.
    struct stat outNode {};
    struct stat errNode {};
    if (isatty(fileno(out)) != 0 && isatty(fileno(err)) != 0 && fstat(fileno(out), &outNode) == 0 &&
        fstat(fileno(err), &errNode) == 0 && outNode.st_rdev == errNode.st_rdev) {
        m_terminal = out;
        const cookie_io_functions_t io{nullptr, &CliRunner::WriteData, nullptr, nullptr};
        m_out = fopencookie(this, "w", io);
        if (m_out == nullptr) {
            m_out = out;
        } else {
            std::setvbuf(m_out, nullptr, _IOLBF, 0);
        }
    }
    m_engine.SetClock(&CLineTiming::SteadyNowMs);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CliRunner::OnTimerTick);
    m_serial.SetReceiver([this](const uint8_t* bytes, int count) { m_engine.OnRxBytes(bytes, count); });
    // A port error is told at the next tick, unless the port turns out lost meanwhile: then it
    // is the reason in the one line that says so.
    m_serial.SetErrorHandler([this](const std::string& text) { m_comError = ComErrorWithWords(text); });
    // No reconnect here: a script sees the loss in the exit status and decides whether to run
    // the command again, and a partial listen is never mistaken for a complete one.
    m_serial.SetLostHandler([this] {
        const std::string reason = m_comError.empty() ? std::string() : " (" + m_comError + ")";
        m_comError.clear();
        Error(std::string(CReaderToolDlg::kConnectionLost) + ": " + m_serial.PortLabel() + " went away" +
              reason);
        Finish(kFailed);
    });
    m_sequence.SetEndHandler([this](int answer) { OnSequenceEnd(answer); });
}

CliRunner::~CliRunner() {
    m_engine.Windows().Unregister(Caption::kAnimalCounter);
    m_engine.Windows().Unregister(Caption::kClient);
    m_engine.Windows().Unregister(Caption::kDatabase);
    m_engine.Windows().Unregister(Caption::kMonitor);
    if (m_serial.IsOpen() != 0) {
        m_serial.Close();
    }
    if (m_terminal != nullptr && m_out != m_terminal) {
        std::fclose(m_out);
    }
}

void CliRunner::RequestStop() {
    g_stop = true;
}

void CliRunner::Error(const std::string& text) {
    ClearProgress();
    std::fprintf(m_err, "corvantelle-cli: %s\n", text.c_str());
    std::fflush(m_err);
}

void CliRunner::Message(const std::string& text, const std::string& detail) {
    Error(detail.empty() ? text : text + ": " + detail);
}

ssize_t CliRunner::WriteData(void* cookie, const char* bytes, size_t size) {
    auto* self = static_cast<CliRunner*>(cookie);
    self->ClearProgress();
    const size_t written = std::fwrite(bytes, 1, size, self->m_terminal);
    std::fflush(self->m_terminal);
    // Back below the data at once, so that a stream of lines does not hide it.
    if (size > 0 && bytes[size - 1] == '\n') {
        self->DrawProgress();
    }
    return static_cast<ssize_t>(written);
}

void CliRunner::ClearProgress() {
    if (m_progressShown) {
        std::fprintf(m_err, "\r%78s\r", "");
        std::fflush(m_err);
        m_progressShown = false;
    }
}

void CliRunner::NoteInterrupt() {
    g_interrupted = true;
}

bool CliRunner::Interrupted() {
    return g_interrupted;
}

void CliRunner::DrawProgress() {
    const bool downloading =
        m_datasets != nullptr && IsDownload() && m_datasets->IsDownloading() && !m_finished;
    const bool running = m_sequence.IsRunning() != 0 || downloading;
    // Only for a person watching: a log file or a pipe gets no carriage-return noise.
    if (!m_progressShown && (!running || isatty(fileno(m_err)) == 0)) {
        return;
    }
    const std::string text = m_sequence.IsRunning() != 0 ? m_sequence.LastStep()
                             : downloading ? m_datasets->ProgressLine(m_elapsed.elapsed() / 1000.0)
                                           : std::string();
    std::fprintf(m_err, "\r%-78.78s", text.c_str());
    if (!running) {
        std::fputc('\r', m_err);
    }
    std::fflush(m_err);
    m_progressShown = running;
}

void CliRunner::Finish(int code) {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_sequence.Stop();
    DrawProgress();
    m_exitCode = code;
    m_sequence.Stop();
    m_timer.stop();
    m_loop.exit(code);
}

int CliRunner::Run() {
    if (m_options.command == "ports") {
        return Ports();
    }
    const int open = OpenLink();
    if (open != kOk) {
        return open;
    }
    if (m_options.command == "monitor") {
        // Time stamps as the local time of day, which is what the Monitor window shows them as.
        m_monitor = std::make_unique<CMonitorDlg>(m_engine, [] {
            const QDateTime now = QDateTime::currentDateTime();
            return now.toMSecsSinceEpoch() + static_cast<int64_t>(now.offsetFromUtc()) * 1000;
        });
        m_monitor->m_ascii = m_options.ascii;
        m_monitor->SetFrameNamer([](const std::vector<uint8_t>& frame) {
            return " " + CommandNames::OfAnswer(frame.data(), static_cast<int>(frame.size())) + " ";
        });
        m_engine.Windows().Register(Caption::kMonitor, m_monitor.get());
    }
    m_engine.Windows().Register(Caption::kClient, this);
    if (m_options.command == "listen") {
        m_feed = std::make_unique<TagFeed>();
        m_engine.Windows().Register(Caption::kAnimalCounter, m_feed.get());
        QString note;
        if (m_options.feed && !m_feed->Start(note)) {
            Error(note.toStdString());
            return kFailed;
        }
        if (m_options.feed) {
            Error(
                (note.isEmpty() ? QStringLiteral("tag feed at %1").arg(m_feed->Path()) : note).toStdString());
        }
    }
    if (m_options.command.rfind("datasets ", 0) == 0) {
        m_datasets = std::make_unique<CliDatasets>(m_options, m_engine, m_out,
                                                   [this](const std::string& text) { Error(text); });
        m_engine.Windows().Register(Caption::kDatabase, &m_datasets->Dialog());
    }
    m_engine.SetConfigSequence(&m_sequence);
    m_elapsed.start();
    m_timer.start();
    StartCommand();
    if (!m_finished) {
        m_loop.exec();
    }
    MonitorEmit(true);
    std::fflush(m_out);
    m_engine.Disconnect();
    return m_exitCode;
}

int CliRunner::Ports() {
    const auto ports = EnumerateSystemPorts();
    for (const auto& port : ports) {
        const int com = PortForDevice(port.device);
        std::fprintf(m_out, "%-7s %-16s %s%s%s\n", com > 0 ? Format("COM%d", com).c_str() : "-",
                     port.device.c_str(), port.friendlyName.empty() ? "-" : port.friendlyName.c_str(),
                     port.stableName.empty() ? "" : "  ", port.stableName.c_str());
    }
    if (ports.empty()) {
        Error("no serial ports found");
    }
    return kOk;
}

int CliRunner::OpenLink() {
    if (m_options.link == CliOptions::Link::kSimulate) {
        m_simulator = std::make_unique<EmbeddedSimulator>();
        if (m_simulator->Start() != 0) {
            Error("no pseudo-terminal for the simulated reader");
            return kNoPort;
        }
        m_serial.SetDevicePath(m_simulator->DevicePath());
    } else if (m_options.link == CliOptions::Link::kPath) {
        m_serial.SetDevicePath(DevicePathOf(m_options.path));
    }
    m_serial.SetBaudRate(m_options.baud);
    m_engine.OnNodeSelected(NodeList::AddressToIndex(m_options.node));
    // The engine's Connect reports a failure through Message with the reason.
    m_engine.Connect(m_options.link == CliOptions::Link::kCom ? m_options.com : 0);
    return m_serial.IsOpen() != 0 ? kOk : kNoPort;
}

void CliRunner::SendRequest(const CTelegram& request) {
    m_awaited = AnswerKey::OfRequest(request.Data(), request.GetLength());
    m_waitTicks = kAnswerTicks;
    m_engine.OnSendNow(request);
}

// Before anything is sent: a value that would go out cut or wrapped, or defaults the user did
// not ask for, make the file unfit to write, and a diff against it would mislead as much.
bool CliRunner::RefuseFile(const ConfigFile::Summary& summary) {
    const auto refusals = ConfigFile::Refusals(summary, m_options.allowDefaults);
    for (const auto& refusal : refusals) {
        Error(m_options.file + ": " + refusal);
    }
    if (refusals.empty()) {
        return false;
    }
    if (!m_options.allowDefaults && !ConfigFile::DefaultsTaken(summary).empty() && summary.Found() > 0) {
        Error("to write the defaults for the missing sections, give --allow-defaults");
    }
    Finish(kFailed);
    return true;
}

void CliRunner::StartCommand() {
    const std::string& c = m_options.command;
    if (c == "info" || c == "config read" || c == "config diff") {
        if (c == "config diff") {
            ConfigFile::Summary summary;
            std::string error;
            if (ConfigFile::LoadFile(m_options.file, m_fileRecord, summary, error) != 0) {
                Error(m_options.file + ": " + error);
                Finish(kFailed);
                return;
            }
            if (RefuseFile(summary)) {
                return;
            }
        }
        m_engine.OnMainCommand(MainCommand::kReadConfig, 0);
    } else if (c == "config write") {
        ConfigFile::Summary summary;
        std::string error;
        ConfigFile::SetDefaults(m_fileRecord);
        if (ConfigFile::LoadFile(m_options.file, m_fileRecord, summary, error) != 0) {
            Error(m_options.file + ": " + error);
            Finish(kFailed);
            return;
        }
        if (RefuseFile(summary)) {
            return;
        }
        // The file holds no start character and no display choice: the reader's own are read
        // first and written back as they are.
        m_writeAfterRead = true;
        m_engine.OnMainCommand(MainCommand::kReadConfig, 0);
    } else if (c == "clock get") {
        SendRequest(CTelegram(Cmd::kGetClock, Desc::kGetClock, kKindFrame));
    } else if (c == "clock sync") {
        const std::tm now = CPropPageRTC::LocalNow();
        const int values[] = {now.tm_sec,  now.tm_min,     now.tm_hour,      now.tm_wday + 1,
                              now.tm_mday, now.tm_mon + 1, now.tm_year - 100};
        CTelegram request(Cmd::kSetClock, Desc::kSetClock, kKindFrame);
        for (const int v : values) {
            request.AppendByte(CPropPageRTC::FieldByte(Format("%02d", v)));
        }
        SendRequest(request);
    } else if (m_datasets != nullptr) {
        if (!m_datasets->Start()) {
            Finish(kFailed);
        } else if (!IsDownload()) {
            m_awaited = AnswerKey{Cmd::kDatasets, -1};
            m_waitTicks = kAnswerTicks;
        }
    } else if (c == "send") {
        const auto& p = m_options.payload;
        CTelegram request(p[0], " Service request ", kKindFrame);
        request.AppendBlock(p.data() + 1, static_cast<int>(p.size()) - 1);
        SendRequest(request);
    }
    // listen and monitor only wait for what arrives.
}

void CliRunner::CheckDownload() {
    if (m_finished || m_datasets == nullptr || !IsDownload()) {
        return;
    }
    const int result = m_datasets->DownloadResult();
    if (result != CliDatasets::kRunning) {
        Finish(result);
    }
}

void CliRunner::OnTimerTick() {
    if (!m_comError.empty()) {
        m_engine.OnComError(m_comError);
        m_comError.clear();
    }
    if (g_stop && IsDownload() && m_datasets != nullptr) {
        m_datasets->Stop();
        CheckDownload();
        return;
    }
    if (g_stop) {
        // Ctrl-C ends a listen or monitor as planned; anything else is cut short.
        Finish(m_options.command == "listen" || m_options.command == "monitor" ? kOk : kFailed);
        return;
    }
    m_engine.OnTimer();
    CheckDownload();
    if (m_finished) {
        return;
    }
    DrawProgress();
    if (m_options.seconds > 0 && m_elapsed.elapsed() >= static_cast<qint64>(m_options.seconds) * 1000) {
        Finish(kOk);
        return;
    }
    if (m_waitTicks > 0 && --m_waitTicks == 0) {
        Error("no answer from the reader to " + CommandNames::Of(m_awaited.code, m_awaited.sub) +
              Format(" (0x%02X)", m_awaited.code));
        Finish(kFailed);
    }
}
