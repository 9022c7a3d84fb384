#include "platform/QtSettingsStore.h"

#include <QSettings>

namespace {

QString Key(const std::string& section, const std::string& name) {
    return QString::fromStdString(section) + '/' + QString::fromStdString(name);
}

}  // namespace

std::string QtSettingsStore::ReadSetting(const std::string& section, const std::string& name,
                                         const std::string& fallback) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kApplication);
    const QVariant value = settings.value(Key(section, name));
    // An unquoted "5,115200" written by hand reads back as a list: it is the same text.
    QString joined;
    if (value.typeId() == QMetaType::QStringList) {
        joined = value.toStringList().join(QLatin1Char(','));
    } else if (value.typeId() == QMetaType::QString) {
        joined = value.toString();
    } else {
        // Anything else (a byte array or variant written by another program) falls back.
        return fallback;
    }
    const QByteArray text = joined.toUtf8();
    if (text.size() > 255) {
        return fallback;
    }
    return text.toStdString();
}

int QtSettingsStore::WriteSetting(const std::string& section, const std::string& name,
                                  const std::string& text) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kApplication);
    settings.setValue(Key(section, name), QString::fromStdString(text));
    settings.sync();
    return settings.status() == QSettings::NoError ? 1 : 0;
}
