#pragma once

#include "core/app/ComPropertiesDlg.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

// "COM Properties": binds the controls to CComPropertiesDlg.
class ComPropertiesDialog final : public QDialog {
    Q_OBJECT

public:
    ComPropertiesDialog(CComPropertiesDlg& logic, QWidget* parent = nullptr);

    void accept() override;

private:
    CComPropertiesDlg& m_logic;
    QComboBox* m_port;
    QComboBox* m_baud;
    QCheckBox* m_reconnect;
};
