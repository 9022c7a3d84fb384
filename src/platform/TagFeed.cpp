#include "platform/TagFeed.h"

#include "core/link/FrameParser.h"
#include "core/tags/CountryNames.h"
#include "core/tags/TagLine.h"
#include "core/tags/TransponderId.h"

#include <QDateTime>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <algorithm>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a reader's socket may hold beyond the backlog: a few lines, so that what a slow reader
// misses is counted in lines rather than hidden in buffers.
constexpr qint64 kSocketHold = 4096;
constexpr int kKernelBuffer = 8192;
constexpr int kNames = 16;

// The folder must be ours and closed to everyone else: the socket's own mode is not checked by
// every system, the folder's is.
bool PrivateFolder(const QString& path, QString& note) {
    QDir().mkpath(path);
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        note = QStringLiteral("no folder for the tag feed at %1").arg(path);
        return false;
    }
    if (st.st_uid != getuid()) {
        note = QStringLiteral("%1 belongs to another user; the tag feed stays off").arg(path);
        return false;
    }
    if ((st.st_mode & 0777) != 0700 && chmod(native.constData(), 0700) != 0) {
        note = QStringLiteral("%1 cannot be closed to other users; the tag feed stays off").arg(path);
        return false;
    }
    return true;
}

}  // namespace

TagFeed::TagFeed(QObject* parent) : QObject(parent) {}

TagFeed::~TagFeed() {
    Stop();
}

QString TagFeed::Directory() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) {
        runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    return QDir(runtime).filePath(QStringLiteral("corvantelle"));
}

QString TagFeed::DefaultPath() {
    return QDir(Directory()).filePath(QStringLiteral("tags"));
}

bool TagFeed::Start(QString& note) {
    const bool started = Listen(note);
    m_note = note;
    return started;
}

bool TagFeed::Listen(QString& note) {
    note.clear();
    if (IsListening()) {
        return true;
    }
    const QString folder = Directory();
    if (!PrivateFolder(folder, note)) {
        return false;
    }
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &TagFeed::OnNewConnection);
    for (int n = 1; n <= kNames; ++n) {
        const QString path = n == 1 ? DefaultPath() : QDir(folder).filePath(QStringLiteral("tags-%1").arg(n));
        struct stat st {};
        if (lstat(QFile::encodeName(path).constData(), &st) == 0) {
            if (!S_ISSOCK(st.st_mode)) {
                continue;
            }
            QLocalSocket probe;
            probe.connectToServer(path);
            if (probe.waitForConnected(1000)) {
                probe.abort();
                continue;  // another tool's feed: never taken over
            }
            // Left behind by a tool that was killed: no one answers there.
            QLocalServer::removeServer(path);
        }
        if (m_server->listen(path)) {
            m_path = path;
            if (n != 1) {
                note = QStringLiteral("another tool already feeds tags at %1; this one feeds them at %2")
                           .arg(DefaultPath(), path);
            }
            return true;
        }
        if (m_server->serverError() != QAbstractSocket::AddressInUseError) {
            note = QStringLiteral("the tag feed cannot listen at %1: %2").arg(path, m_server->errorString());
            m_server.reset();
            return false;
        }
    }
    note = QStringLiteral("the tag feed found no free name in %1").arg(folder);
    m_server.reset();
    return false;
}

void TagFeed::Stop() {
    for (auto& client : m_clients) {
        client->socket->disconnect(this);
        client->socket->abort();
        client->socket->deleteLater();
    }
    const bool hadClients = !m_clients.empty();
    m_clients.clear();
    if (m_server != nullptr) {
        m_server->close();  // removes the socket file
        m_server.reset();
    }
    m_path.clear();
    m_note.clear();
    if (hadClients) {
        emit clientsChanged(0);
    }
}

bool TagFeed::SetEnabled(bool on, QString& note) {
    m_enabled = on;
    note.clear();
    if (!on) {
        Stop();
        return true;
    }
    return Start(note);
}

bool TagFeed::IsListening() const {
    return m_server != nullptr && m_server->isListening();
}

size_t TagFeed::MostHeld() const {
    size_t most = 0;
    for (const auto& client : m_clients) {
        size_t bytes = static_cast<size_t>(client->socket->bytesToWrite());
        for (const auto& line : client->lines) {
            bytes += line.size();
        }
        most = std::max(most, bytes);
    }
    return most;
}

void TagFeed::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        const int size = kKernelBuffer;
        setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        auto client = std::make_unique<Client>();
        client->socket = socket;
        Client* raw = client.get();
        m_clients.push_back(std::move(client));
        connect(socket, &QLocalSocket::bytesWritten, this, [this, raw] { Flush(*raw); });
        // Readers have nothing to say; what they send anyway is not kept.
        connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->readAll(); });
        // Queued: a reader may go while Publish walks the list of readers.
        connect(
            socket, &QLocalSocket::disconnected, this, [this, socket] { Remove(socket); },
            Qt::QueuedConnection);
        emit clientsChanged(Clients());
    }
}

void TagFeed::Remove(QLocalSocket* socket) {
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        if ((*it)->socket == socket) {
            socket->disconnect(this);
            socket->deleteLater();
            m_clients.erase(it);
            emit clientsChanged(Clients());
            return;
        }
    }
}

void TagFeed::Flush(Client& client) {
    while (!client.lines.empty() && client.socket->bytesToWrite() < kSocketHold) {
        const std::string line = TagLine::WithDropped(client.lines.front(), client.dropped);
        client.socket->write(line.data(), static_cast<qint64>(line.size()));
        client.dropped = 0;
        client.lines.pop_front();
    }
}

void TagFeed::Publish(const std::string& line) {
    ++m_published;
    for (auto& client : m_clients) {
        if (client->socket->state() != QLocalSocket::ConnectedState) {
            continue;
        }
        if (client->lines.size() >= m_backlog) {
            client->lines.pop_front();
            ++client->dropped;
        }
        client->lines.push_back(line);
        Flush(*client);
    }
}

namespace {

// The names the window shows, read once on the first tag; by the number, so that a name is the
// same in every output format.
void NameCountry(TagFields& fields) {
    static const CCountryNames names = [] {
        CCountryNames list;
        list.Load(CCountryNames::kSystemList);
        return list;
    }();
    fields.countryName = fields.countryNumber >= 0 ? names.Name(fields.countryNumber) : std::string();
}

}  // namespace

void TagFeed::OnResponse(const uint8_t* frame, int length) {
    if (length < 4 || frame[3] != CFrameParser::kTagData) {
        return;
    }
    CTransponderId id;
    id.DecodeTagData(std::span<const uint8_t>(frame, static_cast<size_t>(length)));
    TagFields fields =
        Fields(id.GetCountryCode(), id.GetNationalId(), id.GetTagType(), id.GetEventText(), frame, length);
    const auto numbers =
        CTransponderId::NumbersOfTagData(std::span<const uint8_t>(frame, static_cast<size_t>(length)));
    TagLine::SetNumbers(fields, numbers.country, numbers.national, CTransponderId::TypeName(numbers.type));
    NameCountry(fields);
    m_lastLine = TagLine::Json(fields);
    if (IsListening()) {
        Publish(m_lastLine);
    }
}

TagFields TagFeed::Fields(const std::string& countryCode, const std::string& nationalId,
                          const std::string& tagType, const std::string& eventText, const uint8_t* frame,
                          int length) {
    const QDateTime now = QDateTime::currentDateTime();
    TagFields f;
    f.time = TagLine::TimeText(now.toMSecsSinceEpoch() + static_cast<int64_t>(now.offsetFromUtc()) * 1000,
                               now.offsetFromUtc());
    f.countryCode = TagLine::FieldText(countryCode);
    f.nationalId = TagLine::FieldText(nationalId);
    f.type = TagLine::FieldText(tagType);
    f.event = TagLine::FieldText(eventText);
    // A plain tag line ("984 123456789012") carries both numbers in decimal and no type.
    const auto decimal = [](const std::string& text) {
        return !text.empty() && text.size() <= 12 && text.find_first_not_of("0123456789") == std::string::npos
                   ? std::stoll(text)
                   : -1LL;
    };
    TagLine::SetNumbers(f, static_cast<int>(decimal(f.countryCode)), decimal(f.nationalId), {});
    NameCountry(f);
    if (frame != nullptr && length > 0) {
        f.frame = TagLine::HexText(frame, static_cast<size_t>(length));
    }
    return f;
}
