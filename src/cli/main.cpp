#include "cli/CliFollow.h"
#include "cli/CliOptions.h"
#include "cli/CliRunner.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

void OnSignal(int signal) {
    if (signal == SIGINT) {
        CliRunner::NoteInterrupt();
    }
    CliRunner::RequestStop();
    CliFollow::RequestStop();
}

}  // namespace

int main(int argc, char** argv) {
    // Parsed before the application object: --help and usage errors need no Qt at all.
    std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options;
    std::string message;
    const int parsed = CliArgs::Parse(args, options, message);
    if (parsed == CliArgs::kPrinted) {
        std::fputs(message.c_str(), stdout);
        return 0;
    }
    if (parsed == CliArgs::kUsage) {
        std::fputs(message.c_str(), stderr);
        return CliRunner::kUsage;
    }
    QCoreApplication app(argc, argv);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    if (options.command == "follow") {
        CliFollow follow(options);
        const int code = follow.Run();
        return CliRunner::Interrupted() ? CliRunner::kInterrupted : code;
    }
    CliRunner runner(options);
    const int code = runner.Run();
    // Ctrl-C tells the calling shell or script that the run was cut short, whatever was done.
    return CliRunner::Interrupted() ? CliRunner::kInterrupted : code;
}
