#pragma once

#include "core/config/PropPageOptimization.h"
#include "gui/config/ConfigPageWidget.h"

#include <QButtonGroup>

// The window of the "Optimization" page.
class OptimizationPageWidget final : public ConfigPageWidget {
public:
    explicit OptimizationPageWidget(CPropPageOptimization& page, QWidget* parent = nullptr);

protected:
    void ShowFields() override;
    void StoreFields() override;

private:
    CPropPageOptimization& m_optimization;
    QButtonGroup* m_settings = nullptr;
};
