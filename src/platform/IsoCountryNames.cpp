#include "platform/IsoCountryNames.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

std::string IsoCountryName(const std::string& code) {
    static const QJsonObject names = [] {
        QJsonObject map;
        QFile file(QStringLiteral("/usr/share/iso-codes/json/iso_3166-1.json"));
        if (file.size() < 4 * 1024 * 1024 && file.open(QIODevice::ReadOnly)) {
            const auto doc = QJsonDocument::fromJson(file.readAll());
            for (const auto& entry : doc.object().value(QStringLiteral("3166-1")).toArray()) {
                const auto o = entry.toObject();
                map.insert(o.value(QStringLiteral("numeric")).toString(), o.value(QStringLiteral("name")));
            }
        }
        return map;
    }();
    bool ok = false;
    const int n = QString::fromStdString(code).trimmed().toInt(&ok);
    return ok ? names.value(QString::asprintf("%03d", n)).toString().toStdString() : std::string();
}
