#pragma once

// What the command-line tests share: corvantelle-sim and corvantelle-cli as processes.
#include <QProcess>
#include <QString>

#include <ostream>

// Failure messages show the programs' output as they printed it.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

constexpr int kDeadlineMs = 20000;

// corvantelle-sim started as a process; the device path is its first line, empty if none came.
struct Sim final {
    explicit Sim(const QStringList& arguments) {
        process.start(QStringLiteral(CORVANTELLE_SIM_PATH), arguments);
        if (process.waitForStarted(kDeadlineMs) && process.waitForReadyRead(kDeadlineMs)) {
            device = QString::fromUtf8(process.readLine()).trimmed();
        }
    }
    ~Sim() { Pull(); }
    // As a pulled cable: the device goes away without a word.
    void Pull() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kDeadlineMs);
        }
    }
    QProcess process;
    QString device;
};

struct CliRun {
    int code = -1;  // also when the program did not end in time or crashed
    QString out, err;
};

inline CliRun Cli(const QStringList& arguments, int deadlineMs = kDeadlineMs, const QString& folder = {}) {
    QProcess cli;
    cli.setWorkingDirectory(folder);
    cli.start(QStringLiteral(CORVANTELLE_CLI_PATH), arguments);
    CliRun run;
    if (cli.waitForFinished(deadlineMs)) {
        run.code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    }
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

inline CliRun CliOn(const Sim& sim, const QStringList& arguments, int deadlineMs = kDeadlineMs) {
    return Cli(QStringList{QStringLiteral("--port"), sim.device} + arguments, deadlineMs);
}
