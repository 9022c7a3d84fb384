#pragma once

#include "core/app/WindowInterfaces.h"
#include "core/tags/TagLine.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

// The local tag feed: every tag data message, as the engine passes it to "Animal Counter", goes
// as one JSON line to every program connected to a local socket under
// $XDG_RUNTIME_DIR/corvantelle/. Registered as that window; a reader that stops reading loses
// its oldest lines, never the tool's time.
class TagFeed final : public QObject, public IToolWindow {
    Q_OBJECT

public:
    static constexpr size_t kDefaultBacklog = 1024;

    explicit TagFeed(QObject* parent = nullptr);
    ~TagFeed() override;

    // $XDG_RUNTIME_DIR/corvantelle, and the socket a first tool listens on there.
    static QString Directory();
    static QString DefaultPath();

    // Listens on the default name, replacing a socket no one answers on; when another tool
    // serves it, on the next free "tags-N". False with the reason in note when there is no
    // place to listen; a name other than the default is also told in note.
    bool Start(QString& note);
    void Stop();
    bool IsListening() const;
    // The user's choice (Settings): on starts the feed, off stops it. False with the reason in
    // note when on was asked and the feed cannot start.
    bool SetEnabled(bool on, QString& note);
    bool IsEnabled() const { return m_enabled; }
    // What the last start had to say (another tool's name taken, no place to listen).
    QString Note() const { return m_note; }
    // Where this feed listens; empty when stopped.
    QString Path() const { return m_path; }
    int Clients() const { return static_cast<int>(m_clients.size()); }
    // Lines each reader may owe before the oldest go.
    void SetBacklog(size_t lines) { m_backlog = lines == 0 ? 1 : lines; }
    // The most bytes held for one reader (lines waiting plus what its socket has not taken yet).
    size_t MostHeld() const;

    // Lines sent since the start, to all readers.
    uint64_t Published() const { return m_published; }
    // Sends one line (newline included) to every reader.
    void Publish(const std::string& line);
    // The line built from the last tag data message, taken once.
    std::string TakeLine() { return std::move(m_lastLine); }

    // A tag's fields as a line carries them: trimmed, UTF-8, the time now, the country's name and
    // the message itself when there is one; the numbers as a plain tag line gives them (a tag
    // data message's own are set from the message).
    static TagFields Fields(const std::string& countryCode, const std::string& nationalId,
                            const std::string& tagType, const std::string& eventText,
                            const uint8_t* frame = nullptr, int length = 0);

    // IToolWindow: a tag data message.
    void OnResponse(const uint8_t* frame, int length) override;

signals:
    void clientsChanged(int clients);

private:
    struct Client {
        QLocalSocket* socket = nullptr;
        std::deque<std::string> lines;
        uint64_t dropped = 0;
    };

    bool Listen(QString& note);
    void OnNewConnection();
    void Flush(Client& client);
    void Remove(QLocalSocket* socket);

    std::unique_ptr<QLocalServer> m_server;
    std::vector<std::unique_ptr<Client>> m_clients;
    QString m_path;
    size_t m_backlog = kDefaultBacklog;
    bool m_enabled = false;
    uint64_t m_published = 0;
    QString m_note;
    std::string m_lastLine;
};
