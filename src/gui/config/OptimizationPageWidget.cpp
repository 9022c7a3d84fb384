#include "gui/config/OptimizationPageWidget.h"

#include "gui/config/ControlSync.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

OptimizationPageWidget::OptimizationPageWidget(CPropPageOptimization& page, QWidget* parent)
    : ConfigPageWidget(page, parent), m_optimization(page) {
    auto* layout = new QVBoxLayout(Body());
    auto* box = new QGroupBox(QStringLiteral("Optimization"), Body());
    auto* boxLayout = new QVBoxLayout(box);
    m_settings = new QButtonGroup(this);
    for (int i = 0; i < CPropPageOptimization::kSettingCount; ++i) {
        auto* radio = new QRadioButton(
            QString::fromUtf8(CPropPageOptimization::kSettingCaptions[static_cast<size_t>(i)]), box);
        radio->setObjectName(QStringLiteral("optSetting%1").arg(i));
        m_settings->addButton(radio, i);
        boxLayout->addWidget(radio);
    }
    auto* buttons = new QHBoxLayout;
    boxLayout->addLayout(buttons);
    auto button = [&](const char* caption, const char* name) {
        QPushButton* b = NamedButton(box, caption, name);
        buttons->addWidget(b);
        return b;
    };
    auto* set = button("Set", "optSet");
    auto* get = button("Get", "optGet");
    auto* store = button("Save", "optStore");
    store->setToolTip(QStringLiteral(" Save configuration of the reader "));
    buttons->addStretch(1);
    layout->addWidget(box);
    layout->addStretch(1);

    connect(m_settings, &QButtonGroup::idClicked, this, [this] { Store(); });
    connect(set, &QPushButton::clicked, this, [this] { m_optimization.OnSet(); });
    connect(get, &QPushButton::clicked, this, [this] { m_optimization.OnGet(); });
    connect(store, &QPushButton::clicked, this, [this] { m_optimization.OnStoreConfig(); });
    UpdateControls();
}

void OptimizationPageWidget::ShowFields() {
    ControlSync::CheckRadio(m_settings, m_optimization.Setting());
}

void OptimizationPageWidget::StoreFields() {
    m_optimization.SetSetting(m_settings->checkedId());
}
