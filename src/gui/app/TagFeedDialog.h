#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class TagFeed;

// Settings > Tag feed: on or off, where other programs find it, and how many read it now.
class TagFeedDialog final : public QDialog {
    Q_OBJECT

public:
    explicit TagFeedDialog(TagFeed& feed, QWidget* parent = nullptr);

private:
    void Show();

    TagFeed& m_feed;
    QCheckBox* m_enabled;
    QLineEdit* m_path;
    QLabel* m_clients;
    QLabel* m_note;
};
