// The tool's tag feed against corvantelle-sim: every reader gets every tag as the same bytes,
// whatever the other readers do.
#include "e2e/E2eSupport.h"

#include "core/tags/TagLine.h"
#include "platform/TagFeed.h"

#include <QLocalSocket>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kLines = 40;

int RawClient(const QString& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", QFile::encodeName(path).constData());
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}

QByteArray Drain(int fd) {
    QByteArray bytes;
    char buffer[4096];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        bytes.append(buffer, n);
    }
    return bytes;
}

QStringList Lines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split('\n', Qt::SkipEmptyParts);
}

// Follow's lines are the raw reader's from where it joined, byte for byte.
void ExpectRunIn(const QStringList& part, const QStringList& all) {
    ASSERT_FALSE(part.isEmpty());
    const qsizetype start = all.indexOf(part.first());
    ASSERT_GE(start, 0) << part.first().toStdString();
    EXPECT_EQ(all.mid(start, part.size()), part);
}

TEST(TagFeedE2e, EveryReaderGetsEveryTagASlowOneOnlyLosesItsOwn) {
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");  // the next test in this process keeps its own
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    TagFeed feed;
    feed.SetBacklog(4);
    QString note;
    ASSERT_TRUE(feed.Start(note)) << note.toStdString();

    QLocalSocket raw;
    raw.connectToServer(feed.Path());
    ASSERT_TRUE(raw.waitForConnected(5000));
    const int stalled = RawClient(feed.Path());
    const int leaving = RawClient(feed.Path());
    QProcess follow[2];
    follow[0].start(CORVANTELLE_CLI_PATH, {"follow", "--json", "--count", QString::number(kLines)});
    follow[1].start(CORVANTELLE_CLI_PATH, {"follow", "--json"});
    ASSERT_TRUE(WaitFor([&] { return feed.Clients() == 5; }, 10000)) << feed.Clients();

    SimProcess sim({"--tag-interval", "50"});
    const QString device = sim.Device();
    ASSERT_FALSE(device.isEmpty());
    QByteArray rawBytes;
    size_t held = 0;
    {
        Tool tool(device);
        tool.window.SetTagFeed(&feed);
        bool left = false;
        ASSERT_TRUE(WaitFor(
            [&] {
                rawBytes += raw.readAll();
                held = std::max(held, feed.MostHeld());
                // Gone with half a line read, the rest of that line still on its way.
                char part[10];
                if (!left && recv(leaving, part, sizeof part, 0) > 0) {
                    close(leaving);
                    left = true;
                }
                return follow[0].state() == QProcess::NotRunning && rawBytes.count('\n') >= kLines + 10;
            },
            30000));
    }
    EXPECT_EQ(follow[0].exitCode(), 0) << follow[0].readAllStandardError().toStdString();
    // Four lines waiting and what the socket may hold, however long the reader sleeps.
    EXPECT_LE(held, 4 * 400 + 4096 + 400u);

    // The sleeper wakes: the lines it missed are counted on the next one it gets.
    QByteArray slow;
    ASSERT_TRUE(WaitFor(
        [&] {
            slow += Drain(stalled);
            uint64_t seen = 0;
            for (const QString& line : Lines(slow)) {
                TagFields f;
                seen += TagLine::Parse(line.toStdString(), f) ? 1 + f.dropped : 0;
            }
            return seen == feed.Published();
        },
        10000));
    close(stalled);
    feed.Stop();
    ASSERT_TRUE(follow[1].waitForFinished(10000));
    EXPECT_EQ(follow[1].exitCode(), 1);
    EXPECT_TRUE(follow[1].readAllStandardError().contains("went away"));

    rawBytes += raw.readAll();
    const QStringList all = Lines(rawBytes);
    EXPECT_EQ(static_cast<uint64_t>(all.size()), feed.Published());
    // The simulator reports its two transponders in turn: a lost or repeated line shows as the
    // same one twice in a row.
    for (qsizetype i = 0; i < all.size(); ++i) {
        TagFields f;
        ASSERT_TRUE(TagLine::Parse(all[i].toStdString(), f)) << all[i].toStdString();
        EXPECT_TRUE(f.nationalId == "123456789012" || f.nationalId == "000000004711") << f.nationalId;
        EXPECT_TRUE(f.frame.rfind("02", 0) == 0 && f.frame.substr(6, 2) == "23") << f.frame;
        TagFields before;
        if (i > 0 && TagLine::Parse(all[i - 1].toStdString(), before)) {
            EXPECT_NE(f.nationalId, before.nationalId) << i;
            EXPECT_GE(f.time, before.time);
        }
    }
    const QStringList first = Lines(follow[0].readAllStandardOutput());
    EXPECT_EQ(first.size(), kLines);
    ExpectRunIn(first, all);
    ExpectRunIn(Lines(follow[1].readAllStandardOutput()), all);
    // The sleeper's lines are the others' lines in order, each gap as long as the count it is told.
    qsizetype at = -1;
    uint64_t dropped = 0;
    for (const QString& line : Lines(slow)) {
        TagFields f;
        ASSERT_TRUE(TagLine::Parse(line.toStdString(), f));
        const uint64_t gap = f.dropped;
        f.dropped = 0;
        const qsizetype index = all.indexOf(QString::fromStdString(TagLine::Json(f)).trimmed(), at + 1);
        ASSERT_GT(index, at) << line.toStdString();
        EXPECT_EQ(static_cast<uint64_t>(index - at - 1), gap) << line.toStdString();
        at = index;
        dropped += gap;
    }
    EXPECT_GT(dropped, 0u);
    qputenv("XDG_RUNTIME_DIR", saved);
}

}  // namespace
