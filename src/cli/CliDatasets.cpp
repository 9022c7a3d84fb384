#include "cli/CliDatasets.h"

#include "core/util/Format.h"
#include "core/util/LocalTime.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kCsvHeader = "number,group,country_code,national_id,tag_type,date,time";

// The dialog's files end their lines in CR LF; a terminal or a pipe here wants LF.
std::string UnixLines(std::string text) {
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

}  // namespace

CliDatasets::CliDatasets(const CliOptions& options, IMainWindow& engine, FILE* out,
                         std::function<void(const std::string&)> error)
    : m_options(options), m_engine(engine), m_out(out), m_error(std::move(error)), m_dialog(*this, *this) {
    m_dialog.SetView(this);
}

bool CliDatasets::Start() {
    const std::string& c = m_options.command;
    if (c == "datasets count") {
        m_dialog.OnGet();
    } else if (c == "datasets get") {
        m_dialog.m_number = Format("%d", m_options.number);
        m_dialog.OnRead();
    } else if (c == "datasets clear") {
        m_dialog.OnClear();
    } else {
        m_dialog.SetFast(m_options.fast);
        m_dialog.m_newFilePerGroup = m_options.perGroup;
        m_dialog.SetKeepExtension(true);
        m_dialog.SetLineObserver([this](const CDatabaseDlg::ReadAllLine& line) { OnLine(line); });
        if (m_options.csv) {
            if (!m_options.output.empty() && !m_csvFile.Open(m_options.output)) {
                Message("cannot write the datasets", m_csvFile.Error());
                return false;
            }
            Emit(std::string(kCsvHeader) + "\n");
        } else if (m_options.output.empty()) {
            Emit(UnixLines(CDatabaseDlg::FileHeader(LocalTimeNow())));
        }
        m_dialog.OnGetAll();
        m_firstFile = m_dialog.IsFileOpen() ? m_dialog.OutputPath() : std::string();
        if (m_failed) {
            // The window would read on without its file; a script wants the file or nothing.
            m_dialog.OnStop();
            m_error("download not started");
            return false;
        }
    }
    return !m_failed;
}

void CliDatasets::OnSendTelegram(const CTelegram& telegram) {
    if (m_options.command == "datasets download") {
        m_engine.OnSendTelegram(telegram);
        return;
    }
    // A single request has no read-all to repeat it: the engine repeats it, as it does the
    // command line's other requests.
    CTelegram repeated(telegram.Command(), telegram.GetDescription(), telegram.GetKind());
    repeated.AppendBlock(telegram.Data() + 1, telegram.GetLength() - 1);
    m_engine.OnSendNow(repeated);
}

std::string CliDatasets::SaveFileNameProposing(const std::string&, const std::string&) {
    return m_options.csv ? std::string() : m_options.output;
}

void CliDatasets::Message(const std::string& text, const std::string& detail) {
    m_failed = true;
    m_error(detail.empty() ? text : text + ": " + detail);
}

void CliDatasets::Emit(const std::string& text) {
    if (m_csvFile.IsOpen()) {
        if (!m_csvFile.Write(text) && !m_failed) {
            Message("datasets not saved", m_csvFile.Error());
        }
        return;
    }
    std::fwrite(text.data(), 1, text.size(), m_out);
    // Line by line, so that a pipe sees each dataset as it comes and Ctrl-C loses nothing.
    std::fflush(m_out);
}

void CliDatasets::OnLine(const CDatabaseDlg::ReadAllLine& line) {
    if (m_options.csv) {
        if (line.record != nullptr) {
            // The window pads "  HDX" to the width of "FDX-B"; no field holds a blank of its own.
            std::string fields = line.text;
            fields.erase(std::remove(fields.begin(), fields.end(), ' '), fields.end());
            Emit(Format("%d,%d,", line.number, line.group) + fields + "\n");
            ++m_rows;
        }
    } else if (m_options.output.empty()) {
        Emit(line.text + "\n");
    }
}

int CliDatasets::OnSingleAnswer(const uint8_t* frame, int length) {
    const std::string& c = m_options.command;
    if (c == "datasets count") {
        std::fprintf(m_out, "%s\n", m_dialog.m_amountText.c_str());
        return 0;
    }
    if (c == "datasets clear") {
        m_error("all datasets in the reader cleared");
        return 0;
    }
    // The window has told an unknown number already (a message, so m_failed).
    constexpr int kRecord = 9;
    if (m_failed || length < kRecord + 13 + 1) {
        if (!m_failed) {
            m_error("the dataset answer is too short");
        }
        return 1;
    }
    const uint8_t* record = frame + kRecord;
    std::fprintf(
        m_out, "%s\n",
        CDatabaseDlg::IsGroupMarker(record) ? "group marker" : CDatabaseDlg::DatasetLine(record).c_str());
    return 0;
}

std::string CliDatasets::SavedFiles() const {
    if (m_options.csv) {
        return m_options.output.empty() ? std::string() : ", saved to " + m_options.output;
    }
    if (m_firstFile.empty()) {
        return {};
    }
    const std::string& last = m_dialog.OutputPath();
    return ", saved to " + m_firstFile + (last != m_firstFile ? " ... " + last : std::string());
}

int CliDatasets::DownloadResult() {
    if (IsDownloading() && !m_failed && !m_stopped) {
        return kRunning;
    }
    if (IsDownloading()) {
        m_dialog.OnStop();
    }
    bool ok = !m_failed && m_dialog.ReadAllEnd() == CDatabaseDlg::End::kComplete;
    if (m_csvFile.IsOpen()) {
        if (!ok) {
            // Under its final name it would pass for a complete download.
            if (m_csvFile.Keep()) {
                m_error("what was read is in " + m_csvFile.TemporaryPath());
            }
        } else if (!m_csvFile.Commit()) {
            m_error("datasets not saved: " + m_csvFile.Error());
            ok = false;
        }
    }
    if (ok) {
        m_error(Format("%d dataset%s read", m_dialog.Total(), m_dialog.Total() == 1 ? "" : "s") +
                SavedFiles());
    } else if (m_dialog.ReadAllEnd() == CDatabaseDlg::End::kStopped) {
        // Where what was read is kept has been said already, by the file that kept it.
        m_error(Format("stopped after %d of %d datasets", m_dialog.Done(), m_dialog.Total()));
    }
    return ok ? 0 : 1;
}

void CliDatasets::Stop() {
    m_stopped = true;
}

std::string CliDatasets::ProgressLine(double seconds) const {
    constexpr int kWidth = 30;
    const int total = m_dialog.Total();
    const int done = m_dialog.Done();
    if (m_dialog.State() == CDatabaseDlg::kWaitAmount || total <= 0) {
        return "asking for the amount of datasets";
    }
    const int filled = std::clamp(done * kWidth / total, 0, kWidth);
    const double rate = seconds > 0 ? done / seconds : 0.0;
    std::string line = "[" + std::string(static_cast<size_t>(filled), '#') +
                       std::string(static_cast<size_t>(kWidth - filled), '.') +
                       Format("] %d/%d datasets  %.0f/s", done, total, rate);
    if (rate > 0 && done < total) {
        const int left = static_cast<int>(std::ceil((total - done) / rate));
        line += Format("  %d:%02d left", left / 60, left % 60);
    }
    return line;
}
