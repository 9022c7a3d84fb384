// What each command prints and how it ends once the reader has answered: the whole-configuration
// reads and writes, single requests, tags for "listen" and the monitor's lines.
#include "cli/CliRunner.h"

#include "cli/CliDatasets.h"
#include "core/config/ConfigFile.h"
#include "core/config/PropPageRTC.h"
#include "core/link/CommandNames.h"
#include "core/service/MonitorDlg.h"
#include "core/tags/TagLine.h"
#include "core/util/Format.h"
#include "core/util/TextFile.h"
#include "platform/TagFeed.h"

#include <QDateTime>
#include <QString>

#include <algorithm>
#include <sstream>

namespace {

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
                     Utf8(read.serialNumber).c_str(), m_engine.DescribeLine().c_str());
        Finish(kOk);
    } else if (c == "config read") {
        std::string error;
        if (!m_options.output.empty()) {
            const std::string path = TextFile::HasExtension(m_options.output)
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
                     : frame[3] == CFrameParser::kNak ? "refused (non-acknowledge)"
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
