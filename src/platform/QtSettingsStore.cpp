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
    // Only texts count; anything else (a list written by another program) falls back.
    if (!value.isValid() || value.typeId() != QMetaType::QString) {
        return fallback;
    }
    const QByteArray text = value.toString().toUtf8();
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
