#pragma once

#include "core/config/PropPageOutputFormat.h"
#include "gui/config/ConfigPageWidget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <array>

// The window of the "Output format" page.
class OutputFormatPageWidget final : public ConfigPageWidget {
public:
    explicit OutputFormatPageWidget(CPropPageOutputFormat& page, QWidget* parent = nullptr);

protected:
    void ShowFields() override;
    void StoreFields() override;

private:
    CPropPageOutputFormat& m_format;
    std::array<QComboBox*, CPropPageOutputFormat::kListCount> m_lists{};
    QLineEdit* m_selfDefined = nullptr;
    QLabel* m_preview = nullptr;
};
