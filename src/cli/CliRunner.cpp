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
#include "core/tags/TagLine.h"
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
#include <sstream>

namespace {

std::atomic<bool> g_stop{false};
std::atomic<bool> g_interrupted{false};

constexpr int kTickMs = 100;
// Two repetitions 5 ticks apart, then a second more for a slow line.
constexpr int kAnswerTicks = 25;
constexpr uint8_t kNak = 0x15;

std::string Utf8(const std::string& latin1) {
    return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size())).toStdString();
}

std::string Hex(const uint8_t* bytes, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += Format(i == 0 ? "%02x" : " %02x", bytes[i]);
    }
    return text;
}

// The serial port reads a bare name as one under /dev; on a command line it is the file named.
QString DevicePathOf(const std::string& path) {
    const bool anchored = path.rfind('/', 0) == 0 || path.rfind("./", 0) == 0 || path.rfind("../", 0) == 0;
    return QString::fromStdString(anchored ? path : "./" + path);
}

// The sections of a .cfg text, header to value line, for comparing item by item.
std::vector<std::pair<std::string, std::string>> Sections(const ConfigRecord& record) {
    std::ostringstream text;
    ConfigFile::WriteConfigFile(text, record);
    std::vector<std::pair<std::string, std::string>> sections;
    std::istringstream in(text.str());
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            sections.emplace_back(line, std::string());
        } else if (!line.empty() && !sections.empty()) {
            sections.back().second = line.substr(line.front() == '\t' ? 1 : 0);
        }
    }
    return sections;
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

void CliRunner::OnSequenceEnd(int answer) {
    const std::string& c = m_options.command;
    if (answer == IConfigSequence::kNotAck) {
        Error(m_sequence.LastStep() + " was refused by the reader (non-acknowledge)");
        Finish(kFailed);
        return;
    }
    if (answer == IConfigSequence::kGiveUp) {
        Error(m_sequence.LastStep() + ": no answer from the reader after 3 transmissions");
        Finish(kFailed);
        return;
    }
    ConfigRecord read = m_sequence.GetReadRecord();
    // What the reader reports is what a file holds and what a write sends.
    read.syncLevel = read.syncLevelRead;
    if (m_writeAfterRead) {
        m_writeAfterRead = false;
        m_fileRecord.startCharacter = read.startCharacter;
        m_fileRecord.displayInfo = read.displayInfo;
        if (m_sequence.StartWrite(m_fileRecord) < 0) {
            Error("the configuration write could not start");
            Finish(kFailed);
        }
        return;
    }
    if (c == "info") {
        std::fprintf(m_out, "Version: %s\nSerial number: %s\n%s\n", Utf8(read.version).c_str(),
                     Utf8(read.serialNumber).c_str(), m_engine.LineTiming().Describe().c_str());
        Finish(kOk);
    } else if (c == "config read") {
        std::string error;
        if (!m_options.output.empty()) {
            const std::string path = CliArgs::HasExtension(m_options.output)
                                         ? m_options.output
                                         : ConfigFile::WithExtension(m_options.output);
            if (ConfigFile::SaveFile(path, read, error) != 0) {
                Error("cannot save " + path + ": " + error);
                Finish(kFailed);
                return;
            }
            Error("configuration saved to " + path);
        } else {
            std::ostringstream text;
            ConfigFile::WriteConfigFile(text, read);
            std::fwrite(text.str().data(), 1, text.str().size(), m_out);
        }
        Finish(kOk);
    } else if (c == "config diff" || c == "config write") {
        const auto reader = Sections(read);
        const auto file = Sections(m_fileRecord);
        int differ = 0;
        for (size_t i = 0; i < std::min(reader.size(), file.size()); ++i) {
            if (reader[i].second != file[i].second) {
                ++differ;
                std::fprintf(c == "config diff" ? m_out : m_err, "%s reader: %s  file: %s\n",
                             reader[i].first.c_str(), Utf8(reader[i].second).c_str(),
                             Utf8(file[i].second).c_str());
            }
        }
        if (c == "config write") {
            Error(differ == 0 ? "configuration written and read back: every value matches"
                              : Format("configuration written, but %d values read back differ", differ));
        } else if (differ == 0) {
            Error("the reader's configuration equals " + m_options.file);
        }
        Finish(differ == 0 ? kOk : kFailed);
    }
}

void CliRunner::ShowTagFields(const std::string& countryCodeField, const std::string& nationalIdField,
                              const std::string& tagTypeField, const std::string& eventTextField) {
    if (m_options.command != "listen" || m_finished) {
        return;
    }
    // A tag data message's line is the feed's own, frame included; a plain tag line has none.
    std::string line = m_feed != nullptr && m_options.json ? m_feed->TakeLine() : std::string();
    if (line.empty()) {
        const TagFields fields =
            TagFeed::Fields(countryCodeField, nationalIdField, tagTypeField, eventTextField);
        line = m_options.json ? TagLine::Json(fields) : TagLine::Plain(fields);
    }
    std::fwrite(line.data(), 1, line.size(), m_out);
    std::fflush(m_out);
    if (m_options.count > 0 && ++m_tags >= m_options.count) {
        Finish(kOk);
    }
}

void CliRunner::OnResponse(const uint8_t* frame, int length) {
    if (IsDownload()) {
        CheckDownload();
        return;
    }
    AnswerKey answer;
    if (m_waitTicks == 0 || !AnswerKey::OfAnswer(frame, length, answer) || !m_awaited.Matches(answer)) {
        return;
    }
    m_waitTicks = 0;
    const bool ack = frame[3] == CFrameParser::kAck;
    const std::string& c = m_options.command;
    if (c == "send") {
        std::fprintf(m_out, "%s  %s %s\n", Hex(frame, length).c_str(),
                     CommandNames::OfAnswer(frame, length).c_str(),
                     ack                ? "acknowledged"
                     : frame[3] == kNak ? "refused (non-acknowledge)"
                                        : "answered");
        Finish(ack ? kOk : kFailed);
        return;
    }
    if (!ack) {
        Error(CommandNames::OfAnswer(frame, length) + " was refused by the reader (non-acknowledge)");
        Finish(kFailed);
        return;
    }
    if (m_datasets != nullptr) {
        Finish(m_datasets->OnSingleAnswer(frame, length));
        return;
    }
    if (c == "clock get") {
        constexpr int kClockBytes = 7;
        if (length < 5 + kClockBytes) {
            Error("the clock answer is too short");
            Finish(kFailed);
            return;
        }
        std::string f[kClockBytes];
        for (int i = 0; i < kClockBytes; ++i) {
            f[i] = CPropPageRTC::ByteField(frame[5 + i]);
        }
        std::fprintf(m_out, "20%s-%s-%s %s:%s:%s (day of week %s)\n", f[6].c_str(), f[5].c_str(),
                     f[4].c_str(), f[2].c_str(), f[1].c_str(), f[0].c_str(), f[3].c_str());
        Finish(kOk);
    } else if (c == "clock sync") {
        Error("clock set to " +
              QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toStdString());
        Finish(kOk);
    }
}

// ---- monitor ----

// The Monitor window's own lines: everything but the last, which may still grow, as it is made;
// the last one at the end.
void CliRunner::MonitorEmit(bool all) {
    if (m_monitor == nullptr) {
        return;
    }
    const LineList& lines = m_monitor->Lines();
    const size_t end = all || lines.Empty() ? lines.EndNumber() : lines.EndNumber() - 1;
    for (size_t n = std::max(m_monitorPrinted, lines.FirstNumber()); n < end; ++n) {
        const size_t i = n - lines.FirstNumber();
        // A frame that ends a batch leaves an empty open line behind: not worth a line here.
        if (!lines.At(i).empty()) {
            const std::string text =
                m_options.timestamps ? CMonitorDlg::StampedLine(lines.At(i), lines.StampAt(i)) : lines.At(i);
            std::fprintf(m_out, "%s\n", Utf8(text).c_str());
        }
    }
    m_monitorPrinted = std::max(m_monitorPrinted, end);
    std::fflush(m_out);
}

void CliRunner::OnTxBytes(const std::string&) {
    MonitorEmit(false);
}

void CliRunner::OnRxBytes(const uint8_t*, int) {
    MonitorEmit(false);
}
