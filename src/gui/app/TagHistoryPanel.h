#pragma once

#include "core/app/Prompt.h"
#include "core/tags/TagHistory.h"
#include "gui/service/UpdatePacer.h"

#include <QAbstractTableModel>
#include <QString>
#include <QWidget>

class QLabel;
class QSpinBox;
class QTableView;
class QToolButton;

// The rows of a TagHistory for a table view. Reads are recorded at once; the view hears of them
// when control returns to the event loop, at most ten times a second while tags keep streaming.
class TagHistoryModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kTime, kCountryCode, kCountry, kNationalId, kType, kEvent, kCount, kColumns };

    explicit TagHistoryModel(TagHistory& history, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void ScheduleSync();
    // Tells the view what went at the front, changed in place and came at the end.
    void Sync();

signals:
    void Synced();

private:
    TagHistory& m_history;
    size_t m_shownFirst = 0;
    int m_shownRows = 0;
    UpdatePacer m_pacer;
};

// Below the "Received Tag" group: a line that opens and closes the history of every tag read,
// with its table, "Clear" and "Export CSV". Closed, it is one line and the window keeps its shape.
class TagHistoryPanel final : public QWidget {
    Q_OBJECT

public:
    TagHistoryPanel(IPrompt& prompt, const CCountryNames* names, QWidget* parent = nullptr);

    // A decoded tag, as the main window shows it.
    void AddTag(const std::string& countryCode, const std::string& nationalId, const std::string& tagType,
                const std::string& eventText);
    void SetOpen(bool open);
    bool IsOpen() const;

    TagHistory& History() { return m_history; }
    TagHistoryModel& Model() { return m_model; }

private:
    void OnClear();
    void OnExport();
    void ShowSummary();

    IPrompt& m_prompt;
    TagHistory m_history;
    TagHistoryModel m_model;
    QToolButton* m_toggle;
    QWidget* m_body;
    QTableView* m_table;
    QLabel* m_summary;
    QSpinBox* m_repeatSeconds;
    QString m_saved;
    bool m_follow = true;
    int m_grownBy = 0;
    int m_widenedBy = 0;
};
