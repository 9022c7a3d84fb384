// The reader pulled under "listen" again and again on the same link: every time the tag it saw,
// one "Connection lost" line and the failed exit status, never a hang or a crash; and the runner,
// made and ended in one process as often, keeps no descriptor or thread.
#include "cli/CliRunner.h"
#include "cli/CliSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr int kCycles = 20;

int Entries(const char* folder) {
    return static_cast<int>(
        QDir(QString::fromUtf8(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

QString Text(FILE* file) {
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        bytes.append(buffer, static_cast<qsizetype>(n));
    }
    return QString::fromUtf8(bytes);
}

// The runner is all that main() runs for listen, after its options and signal handlers.
TEST(CliUnplug, ListenEndsWithConnectionLostEachTimeAndKeepsNoDescriptorOrThread) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("reader"));
    CliOptions options;
    options.link = CliOptions::Link::kPath;
    options.path = link.toStdString();
    options.command = "listen";
    int descriptors = 0;
    int threads = 0;
    for (int cycle = 0; cycle <= kCycles; ++cycle) {
        FILE* out = std::tmpfile();
        FILE* err = std::tmpfile();
        int code = -1;
        {
            Sim sim({"--link", link, "--tag-interval", "50", "--tag", "276:4711:hdx"});
            ASSERT_FALSE(sim.device.isEmpty()) << "cycle " << cycle;
            CliRunner runner(options, out, err);
            // The reader goes once the first tag is out.
            QTimer watch;
            QElapsedTimer waited;
            waited.start();
            QObject::connect(&watch, &QTimer::timeout, [&] {
                if (std::ftell(out) > 0 || waited.elapsed() > kDeadlineMs) {
                    watch.stop();
                    sim.Pull();
                }
            });
            watch.start(10);
            code = runner.Run();
        }
        EXPECT_EQ(code, CliRunner::kFailed) << "cycle " << cycle;
        EXPECT_TRUE(Text(out).startsWith("0276 000000004711 HDX")) << "cycle " << cycle;
        const QString said = Text(err);
        EXPECT_EQ(said.count(QStringLiteral("Connection lost")), 1) << "cycle " << cycle << ": " << said;
        EXPECT_EQ(said.count('\n'), 1) << "cycle " << cycle << ": " << said;
        // A port error's number alone tells a technician nothing.
        EXPECT_FALSE(said.contains(QRegularExpression("<CE-\\d+>\\)"))) << said;
        std::fclose(out);
        std::fclose(err);
        QCoreApplication::processEvents();
        // The first round opens what stays for the process's life (Qt's own threads and pipes).
        if (cycle == 0) {
            descriptors = Entries("/proc/self/fd");
            threads = Entries("/proc/self/task");
        }
    }
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
}

}  // namespace
