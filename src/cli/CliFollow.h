#pragma once

#include "cli/CliOptions.h"
#include "core/tags/FeedReader.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QObject>
#include <QTimer>

#include <cstdio>

// `follow`: the tags of a running tool, read from its local tag feed.
class CliFollow final : public QObject {
    Q_OBJECT

public:
    explicit CliFollow(const CliOptions& options, FILE* out = stdout, FILE* err = stderr);

    // The exit status: 0 done, 1 the tool went away, 3 no tool is running.
    int Run();
    static void RequestStop();

private:
    void Read();
    void OnGone();
    void OnTick();
    void Finish(int code);

    CliOptions m_options;
    FILE* m_out;
    FILE* m_err;
    QString m_path;
    QLocalSocket m_socket;
    FeedReader m_reader;
    QTimer m_timer;
    QEventLoop m_loop;
    QElapsedTimer m_elapsed;
    int m_code = 0;
    bool m_finished = false;
};
