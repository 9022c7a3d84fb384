// Where the tag feed listens: closed to other users, a dead tool's socket taken over, a live
// tool's never.
#include "platform/TagFeed.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

mode_t Mode(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

// A socket file as a killed tool leaves it: bound, never unlinked, no one listening.
void LeaveStaleSocket(const QString& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", QFile::encodeName(path).constData());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

TEST(TagFeed, ListensPrivatelyTakesOverADeadSocketNeverALiveOne) {
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    // Left open to everyone by something else: closed again before anything listens in it.
    ASSERT_TRUE(QDir().mkpath(TagFeed::Directory()));
    chmod(QFile::encodeName(TagFeed::Directory()).constData(), 0755);
    LeaveStaleSocket(TagFeed::DefaultPath());

    TagFeed first;
    QString note;
    ASSERT_TRUE(first.Start(note)) << note.toStdString();
    EXPECT_EQ(first.Path(), runtime.path() + "/corvantelle/tags");
    EXPECT_EQ(Mode(TagFeed::Directory()) & 07777, 0700u);
    EXPECT_EQ(Mode(first.Path()) & (S_IFMT | 077), S_IFSOCK);

    TagFeed second;
    ASSERT_TRUE(second.Start(note));
    EXPECT_EQ(second.Path(), runtime.path() + "/corvantelle/tags-2");
    EXPECT_TRUE(note.contains(first.Path()) && note.contains(second.Path())) << note.toStdString();
    EXPECT_EQ(Mode(second.Path()) & (S_IFMT | 077), S_IFSOCK);

    // The first tool still serves its name: a reader there gets its lines, not the second's.
    QLocalSocket reader;
    reader.connectToServer(TagFeed::DefaultPath());
    ASSERT_TRUE(reader.waitForConnected(2000));
    const auto waitFor = [](const std::function<bool()>& done) {
        QDeadlineTimer deadline(5000);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    };
    waitFor([&] { return first.Clients() == 1; });
    second.Publish("{\"national_id\":\"2\"}\n");
    first.Publish("{\"national_id\":\"1\"}\n");
    waitFor([&] { return reader.canReadLine(); });
    EXPECT_EQ(reader.readAll().toStdString(), "{\"national_id\":\"1\"}\n");

    // Stopped, a feed leaves no socket behind for the next tool to puzzle over.
    first.Stop();
    EXPECT_EQ(Mode(runtime.path() + "/corvantelle/tags"), 0u);
    qputenv("XDG_RUNTIME_DIR", saved);
}

}  // namespace
