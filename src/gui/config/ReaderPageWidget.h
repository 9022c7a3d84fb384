#pragma once

#include "core/config/PropPageReader.h"
#include "gui/config/ConfigPageWidget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <array>

// The window of the "Reader" page.
class ReaderPageWidget final : public ConfigPageWidget {
public:
    explicit ReaderPageWidget(CPropPageReader& page, QWidget* parent = nullptr);

protected:
    void ShowFields() override;
    void StoreFields() override;

private:
    QPushButton* Button(const char* caption, const char* name, const char* tip = nullptr);
    QLineEdit* Edit(const char* name);

    CPropPageReader& m_reader;
    QButtonGroup* m_formats = nullptr;
    QCheckBox* m_scp = nullptr;
    QCheckBox* m_offId = nullptr;
    QCheckBox* m_idTime = nullptr;
    QLineEdit* m_delay = nullptr;
    QLineEdit* m_timeout = nullptr;
    QLineEdit* m_startCharacter = nullptr;
    QLineEdit* m_version = nullptr;
    QLineEdit* m_serialNumber = nullptr;
    QPushButton* m_setSerialNumber = nullptr;
    QWidget* m_developerArea = nullptr;
    QButtonGroup* m_modes = nullptr;
    QLineEdit* m_node = nullptr;
    QLineEdit* m_block = nullptr;
    std::array<QCheckBox*, CPropPageReader::kTransponderCount> m_transponders{};
    QCheckBox* m_t = nullptr;
};
