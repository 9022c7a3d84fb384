#include "gui/app/EmbeddedSimulator.h"
#include "gui/app/MainWindow.h"
#include "gui/app/QtPrompt.h"
#include "platform/PortEnumerator.h"
#include "platform/QtSettingsStore.h"
#include "platform/SerialPort.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QCoreApplication::setOrganizationName(QString::fromLatin1(QtSettingsStore::kOrganisation));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANTELLE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configure, test and diagnose a Corvantelle animal-ID reader on a serial port."));
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
    parser.addOptions({simulate, port, developer, settingsDir});

    // --help and --version answer before the application object exists, so they work in a
    // terminal without a display.
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == "--help" || argument == "-h") {
            std::printf("%s", qPrintable(parser.helpText().replace("<executable_name>", "corvantelle")));
            return 0;
        }
        if (argument == "--version" || argument == "-v") {
            std::printf("corvantelle %s\n", CORVANTELLE_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(QtSettingsStore::kApplication));
    parser.process(app);

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
    MainWindow window(serial, prompt, options);
    prompt.SetParent(&window);
    window.SetPortEnumerator(&EnumerateSystemPorts);
    window.SetPortChosenHandler([&serial] { serial.SetDevicePath(QString()); });
    serial.SetReceiver([&window](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
    serial.SetLostHandler([&window] { window.OnPortLost(); });

    window.show();
    window.Start(settings);
    const int result = QApplication::exec();
    window.Shutdown(settings);
    settings.Save(store);
    return result;
}
