#include "gui/config/RtcPageWidget.h"

#include "gui/config/ControlSync.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr std::array<const char*, CPropPageRTC::kFieldCount> kFieldNames = {
    "rtcSeconds", "rtcMinutes", "rtcHours", "rtcDayOfWeek", "rtcDay", "rtcMonth", "rtcYear"};
}  // namespace

RtcPageWidget::RtcPageWidget(CPropPageRTC& page, QWidget* parent)
    : ConfigPageWidget(page, parent), m_rtc(page) {
    auto* layout = new QVBoxLayout(Body());
    auto* box = new QGroupBox(QStringLiteral("Timestamp"), Body());
    auto* grid = new QGridLayout(box);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const int row = static_cast<int>(i);
        grid->addWidget(new QLabel(QString::fromUtf8(CPropPageRTC::kFieldCaptions[i]), box), row, 0);
        auto* edit = new QLineEdit(box);
        edit->setObjectName(QString::fromUtf8(kFieldNames[i]));
        edit->setMaxLength(2);
        FitChars(edit, 3);
        grid->addWidget(edit, row, 1, Qt::AlignLeft);
        m_fields[i] = edit;
        connect(edit, &QLineEdit::textEdited, this, [this] { Store(); });
    }
    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* caption, const char* name) {
        QPushButton* b = NamedButton(box, caption, name);
        buttons->addWidget(b);
        return b;
    };
    auto* sync = button("Sync", "rtcSync");
    auto* set = button("Set", "rtcSet");
    auto* get = button("Get", "rtcGet");
    buttons->addStretch(1);
    grid->addLayout(buttons, static_cast<int>(m_fields.size()), 0, 1, 2);
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(sync, &QPushButton::clicked, this, [this] { m_rtc.OnSync(); });
    connect(set, &QPushButton::clicked, this, [this] { m_rtc.OnSet(); });
    connect(get, &QPushButton::clicked, this, [this] { m_rtc.OnGet(); });
    UpdateControls();
}

void RtcPageWidget::ShowFields() {
    for (size_t i = 0; i < m_fields.size(); ++i) {
        ControlSync::SetText(m_fields[i], m_rtc.Fields()[i]);
    }
}

void RtcPageWidget::StoreFields() {
    for (size_t i = 0; i < m_fields.size(); ++i) {
        m_rtc.Fields()[i] = ControlSync::ToStd(m_fields[i]->text());
    }
}
