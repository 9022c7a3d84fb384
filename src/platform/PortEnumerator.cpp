#include "platform/PortEnumerator.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

std::vector<SystemPort> EnumerateSystemPorts() {
    // by-id links survive re-plugging; show them so the user can tell two adapters apart.
    QHash<QString, QString> stable;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        stable.insert(link.canonicalFilePath(), link.fileName());
    }
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SystemPort port;
        port.device = info.systemLocation().toStdString();
        port.friendlyName = info.description().toStdString();
        port.stableName = stable.value(info.systemLocation()).toStdString();
        ports.push_back(port);
    }
    return ports;
}
