#include "cli/CliFollow.h"

#include "cli/CliRunner.h"
#include "platform/TagFeed.h"

#include <atomic>

namespace {

std::atomic<bool> g_stop{false};

constexpr int kConnectMs = 2000;

}  // namespace

CliFollow::CliFollow(const CliOptions& options, FILE* out, FILE* err)
    : m_options(options),
      m_out(out),
      m_err(err),
      m_path(options.socket.empty() ? TagFeed::DefaultPath() : QString::fromStdString(options.socket)),
      m_reader(options.json) {
    if (m_options.count > 0) {
        m_reader.SetLimit(static_cast<uint64_t>(m_options.count));
    }
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &CliFollow::OnTick);
}

void CliFollow::RequestStop() {
    g_stop = true;
}

int CliFollow::Run() {
    m_socket.connectToServer(m_path, QIODevice::ReadOnly);
    if (!m_socket.waitForConnected(kConnectMs)) {
        const QString reason = m_socket.error() == QLocalSocket::ServerNotFoundError
                                   ? QStringLiteral("no such socket")
                               : m_socket.error() == QLocalSocket::ConnectionRefusedError
                                   ? QStringLiteral("no one answers there")
                                   : m_socket.errorString();
        std::fprintf(m_err,
                     "corvantelle-cli: no tool is running a tag feed at %s (%s); start corvantelle, "
                     "or corvantelle-cli listen --feed\n",
                     qPrintable(m_path), qPrintable(reason));
        return CliRunner::kNoPort;
    }
    connect(&m_socket, &QLocalSocket::readyRead, this, &CliFollow::Read);
    connect(&m_socket, &QLocalSocket::disconnected, this, &CliFollow::OnGone);
    m_elapsed.start();
    m_timer.start();
    Read();
    if (!m_finished) {
        m_loop.exec();
    }
    std::fflush(m_out);
    return m_code;
}

void CliFollow::Read() {
    while (!m_finished && m_socket.bytesAvailable() > 0) {
        char buffer[4096];
        const qint64 n = m_socket.read(buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        std::string out;
        std::string note;
        m_reader.Put(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(n), out, note);
        std::fwrite(out.data(), 1, out.size(), m_out);
        std::fflush(m_out);
        size_t start = 0;
        for (size_t end = note.find('\n'); end != std::string::npos; end = note.find('\n', start)) {
            std::fprintf(m_err, "corvantelle-cli: %s\n", note.substr(start, end - start).c_str());
            start = end + 1;
        }
        if (m_options.count > 0 && m_reader.Tags() >= static_cast<uint64_t>(m_options.count)) {
            Finish(CliRunner::kOk);
        }
    }
}

void CliFollow::OnGone() {
    Read();
    if (m_finished) {
        return;
    }
    std::fprintf(m_err, "corvantelle-cli: the tag feed at %s closed%s: the tool went away\n",
                 qPrintable(m_path), m_reader.InLine() ? " in the middle of a line" : "");
    Finish(CliRunner::kFailed);
}

void CliFollow::OnTick() {
    if (g_stop ||
        (m_options.seconds > 0 && m_elapsed.elapsed() >= static_cast<qint64>(m_options.seconds) * 1000)) {
        Finish(CliRunner::kOk);
    }
}

void CliFollow::Finish(int code) {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_code = code;
    m_timer.stop();
    m_loop.exit(code);
}
