#pragma once

#include "core/config/ProPageEvent.h"
#include "gui/config/ConfigPageWidget.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

#include <array>

// The window of the "Events" page.
class EventsPageWidget final : public ConfigPageWidget {
public:
    explicit EventsPageWidget(CProPageEvent& page, QWidget* parent = nullptr);

protected:
    void ShowFields() override;
    void StoreFields() override;

private:
    CProPageEvent& m_events;
    std::array<QLineEdit*, CProPageEvent::kStrings> m_strings{};
    QLineEdit* m_tag = nullptr;
    QSpinBox* m_number = nullptr;
    QSpinBox* m_event = nullptr;
    QListWidget* m_transponders = nullptr;
    QListWidget* m_eventList = nullptr;
};
