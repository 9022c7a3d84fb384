#include "platform/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    }
    QString File() const { return dir.filePath(QStringLiteral("Torvimek electronic/Corvantelle.ini")); }
    QTemporaryDir dir;
};

TEST_F(SettingsStoreTest, WritesTheIniFileAndReadsItBack) {
    QtSettingsStore store;
    AppSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.reconnect, 1) << "reconnecting by itself is on until turned off";

    settings.reconnect = 0;
    settings.port = 3;
    settings.baud = 115200;
    settings.node = 17;
    settings.Save(store);
    QFile file(File());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[Settings]")));
    EXPECT_TRUE(text.contains(QStringLiteral("comport=\"3,115200\"")) ||
                text.contains(QStringLiteral("comport=3,115200")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("node=17")));

    AppSettings again;
    again.Load(store);
    EXPECT_EQ(again.port, 3);
    EXPECT_EQ(again.baud, 115200);
    EXPECT_EQ(again.node, 17);
    EXPECT_EQ(again.reconnect, 0);
}

TEST_F(SettingsStoreTest, ValuesThatAreNotTextFallBack) {
    {
        QSettings raw(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Torvimek electronic"),
                      QStringLiteral("Corvantelle"));
        raw.setValue(QStringLiteral("Settings/node"), QByteArray("\x01\x02"));
        raw.setValue(QStringLiteral("Settings/comport"), QString(300, QLatin1Char('9')));
    }
    QtSettingsStore store;
    EXPECT_EQ(store.ReadSetting("Settings", "node", "255"), "255");
    EXPECT_EQ(store.ReadSetting("Settings", "comport", "-1,CBR_9600"), "-1,CBR_9600");
}

TEST_F(SettingsStoreTest, UnquotedCommaValueWrittenByHandReadsAsItsText) {
    QDir().mkpath(dir.filePath(QStringLiteral("Torvimek electronic")));
    QFile file(File());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\ncomport=5,115200\n");
    file.close();
    QtSettingsStore store;
    AppSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.port, 5);
    EXPECT_EQ(settings.baud, 115200);
}

}  // namespace
