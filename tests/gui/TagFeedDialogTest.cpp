// Settings > Tag feed as the user works it: the box turns the socket off and on again.
#include "gui/app/TagFeedDialog.h"
#include "platform/TagFeed.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(TagFeedDialog, TheBoxTakesTheSocketAwayAndBringsItBack) {
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");  // the next test in this process keeps its own
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    TagFeed feed;
    QString note;
    ASSERT_TRUE(feed.SetEnabled(true, note));
    TagFeedDialog dialog(feed);
    auto* box = dialog.findChild<QCheckBox*>("feedEnabled");
    auto* path = dialog.findChild<QLineEdit*>("feedPath");
    ASSERT_TRUE(box != nullptr && path != nullptr);
    EXPECT_EQ(path->text(), runtime.path() + "/corvantelle/tags");

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_FALSE(QFileInfo::exists(runtime.path() + "/corvantelle/tags"));
    EXPECT_FALSE(path->isEnabled());

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_TRUE(QFileInfo::exists(runtime.path() + "/corvantelle/tags"));
    EXPECT_TRUE(path->isEnabled());
    qputenv("XDG_RUNTIME_DIR", saved);
}

}  // namespace
