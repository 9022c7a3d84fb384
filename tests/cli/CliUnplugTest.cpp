// The reader pulled under "listen" again and again on the same link, as a script that restarts
// it sees it: every time one "Connection lost" and exit status 1, never a hang or a crash; and
// the runner itself, made and ended in one process as often, keeps no descriptor or thread.
#include "cli/CliRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kCycles = 20;
constexpr int kDeadlineMs = 10000;

struct SimOnLink final {
    explicit SimOnLink(const QString& link) {
        process.start(QStringLiteral(CORVANTELLE_SIM_PATH),
                      {"--link", link, "--tag-interval", "50", "--tag", "276:4711:hdx"});
        ready = process.waitForStarted(kDeadlineMs) && process.waitForReadyRead(kDeadlineMs);
    }
    ~SimOnLink() { Pull(); }
    // As a pulled cable: the device goes away without a word.
    void Pull() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kDeadlineMs);
        }
    }
    QProcess process;
    bool ready = false;
};

int Entries(const char* folder) {
    return static_cast<int>(
        QDir(QString::fromUtf8(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

TEST(CliUnplug, ListenEndsWithConnectionLostEachTimeTheReaderGoes) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("reader"));
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        SimOnLink sim(link);
        ASSERT_TRUE(sim.ready) << "cycle " << cycle;
        QProcess cli;
        cli.start(QStringLiteral(CORVANTELLE_CLI_PATH), {"--port", link, "listen"});
        ASSERT_TRUE(cli.waitForReadyRead(kDeadlineMs)) << "cycle " << cycle;
        EXPECT_TRUE(cli.readLine().startsWith("0276 000000004711 HDX")) << "cycle " << cycle;
        sim.Pull();
        ASSERT_TRUE(cli.waitForFinished(kDeadlineMs))
            << "cycle " << cycle << ": listen goes on without a reader";
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit) << "cycle " << cycle;
        EXPECT_EQ(cli.exitCode(), 1) << "cycle " << cycle;
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        EXPECT_EQ(err.count(QStringLiteral("Connection lost")), 1)
            << "cycle " << cycle << ": " << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << "cycle " << cycle << ": " << err.toStdString();
        // A port error's number alone tells a technician nothing.
        EXPECT_FALSE(err.contains(QRegularExpression("<CE-\\d+>\\)"))) << err.toStdString();
    }
}

TEST(CliUnplug, RunnerKeepsNoDescriptorOrThreadAfterLostReaders) {
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
            SimOnLink sim(link);
            ASSERT_TRUE(sim.ready) << "cycle " << cycle;
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
        EXPECT_GT(std::ftell(out), 0) << "cycle " << cycle;
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
