#include "gui/app/MainWindow.h"
#include "gui/app/QtPrompt.h"
#include "platform/PortEnumerator.h"
#include "platform/QtSettingsStore.h"
#include "platform/SerialPort.h"
#include "platform/TagFeed.h"
#include "simhost/EmbeddedSimulator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kFeedSetting = "tagfeed";

// Qt's own options, which the application object takes out of the command line; those named
// in the first list carry a value.
bool IsQtOption(const char* argument, bool& takesValue) {
    if (std::strncmp(argument, "--", 2) == 0) {
        ++argument;  // Qt takes "--style" as "-style"
    }
    static const char* const withValue[] = {"-platform",      "-platformpluginpath",
                                            "-platformtheme", "-plugin",
                                            "-style",         "-stylesheet",
                                            "-session",       "-display",
                                            "-geometry",      "-qwindowgeometry",
                                            "-qwindowtitle",  "-qwindowicon",
                                            "-title",         "-name"};
    static const char* const single[] = {"-reverse", "-nograb", "-dograb", "-sync", "-widgetcount"};
    for (const char* option : withValue) {
        if (std::strcmp(argument, option) == 0) {
            takesValue = true;
            return true;
        }
    }
    for (const char* option : single) {
        if (std::strcmp(argument, option) == 0) {
            takesValue = false;
            return true;
        }
    }
    return false;
}

// The command line without Qt's own options, for our parser.
QStringList ToolArguments(int argc, char** argv) {
    QStringList arguments{QString::fromLocal8Bit(argv[0])};
    for (int i = 1; i < argc; ++i) {
        bool takesValue = false;
        if (IsQtOption(argv[i], takesValue)) {
            i += takesValue ? 1 : 0;
            continue;
        }
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setOrganizationName(QString::fromLatin1(QtSettingsStore::kOrganisation));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANTELLE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configure, test and diagnose a Corvantelle animal-ID reader on a serial port.\n"
                       "While the window runs, every tag also goes to other programs of this user as a\n"
                       "JSON line on a local socket, the tag feed (on unless turned off under Settings >\n"
                       "Tag feed; read it with 'corvantelle-cli follow')."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Start a simulated reader inside the tool and connect to it."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Open the serial device at <path> for this run "
                                                 "(a pseudo-terminal, /dev/serial/by-id/...)."),
                                  QStringLiteral("path"));
    const QCommandLineOption developer(
        QStringLiteral("developer"),
        QStringLiteral("Offer the developer controls (DTR, node, test buttons)."));
    const QCommandLineOption settingsDir(
        QStringLiteral("settings"),
        QStringLiteral("Keep the settings under <folder> instead of the user's "
                       "configuration folder."),
        QStringLiteral("folder"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        QStringLiteral("Write the serial port's diagnostics and the round trip learnt from "
                       "the line to stderr."));
    const QCommandLineOption feedPath(QStringLiteral("feed-path"),
                                      QStringLiteral("Print where the tag feed's socket is and exit."));
    parser.addOptions({simulate, port, developer, settingsDir, verbose, feedPath});

    // The command line is checked before the application object exists, so that --help,
    // --version and a mistyped option answer in a terminal without a display.
    const bool parsed = parser.parse(ToolArguments(argc, argv));
    if (parsed && parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText().replace("<executable_name>", "corvantelle")));
        return 0;
    }
    if (parsed && parser.isSet(QStringLiteral("version"))) {
        std::printf("corvantelle %s\n", CORVANTELLE_VERSION);
        return 0;
    }
    if (parsed && parser.isSet(QStringLiteral("feed-path"))) {
        std::printf("%s\n", qPrintable(TagFeed::DefaultPath()));
        return 0;
    }
    QString error = parser.errorText();
    if (parsed && !parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst());
    }
    if (!parsed || !error.isEmpty()) {
        if (error.endsWith(QLatin1Char('.'))) {
            error.chop(1);
        }
        std::fprintf(stderr, "corvantelle: %s; try --help\n", qPrintable(error));
        return 2;
    }
    if (parser.isSet(verbose)) {
        QLoggingCategory::setFilterRules(
            QStringLiteral("corvantelle.serial.debug=true\ncorvantelle.line.debug=true"));
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(QtSettingsStore::kApplication));

    if (parser.isSet(settingsDir)) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, parser.value(settingsDir));
    }

    QtSettingsStore store;
    AppSettings settings;
    settings.Load(store);

    std::unique_ptr<EmbeddedSimulator> simulator;
    CSerialPort serial;
    if (parser.isSet(simulate)) {
        simulator = std::make_unique<EmbeddedSimulator>();
        if (simulator->Start() != 0) {
            std::fprintf(stderr, "corvantelle: no pseudo-terminal for the simulated reader\n");
            return 1;
        }
        serial.SetDevicePath(simulator->DevicePath());
    } else if (parser.isSet(port)) {
        serial.SetDevicePath(parser.value(port));
    }

    QtPrompt prompt;
    MainWindowOptions options;
    options.developer = parser.isSet(developer);
    // The event database belongs to the user, not to whatever folder the tool was started in.
    const QString dataFolder = parser.isSet(settingsDir)
                                   ? parser.value(settingsDir)
                                   : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataFolder);
    options.dataFolder = QDir(dataFolder).absolutePath().toStdString();
    TagFeed feed;  // before the window, whose registry holds it to the end
    MainWindow window(serial, prompt, options);
    // Round trips measured in real milliseconds, finer than the 100 ms tick.
    window.Logic().SetClock(&CLineTiming::SteadyNowMs);
    prompt.SetParent(&window);
    window.SetPortEnumerator(&EnumerateSystemPorts);
    window.SetPortChosenHandler([&serial] { serial.SetDevicePath(QString()); });
    window.AttachSerialPort(serial);
    window.SetTagFeed(&feed);
    QString feedNote;
    if (!feed.SetEnabled(store.ReadSetting(AppSettings::kSection, kFeedSetting, "1") != "0", feedNote) ||
        !feedNote.isEmpty()) {
        std::fprintf(stderr, "corvantelle: %s\n", qPrintable(feedNote));
    }

    window.show();
    window.Start(settings);
    const int result = QApplication::exec();
    window.Shutdown(settings);
    settings.Save(store);
    store.WriteSetting(AppSettings::kSection, kFeedSetting, feed.IsEnabled() ? "1" : "0");
    return result;
}
