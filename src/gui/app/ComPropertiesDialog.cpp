#include "gui/app/ComPropertiesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {

QComboBox* List(const std::vector<std::string>& items, const std::string& current, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const auto& item : items) {
        box->addItem(QString::fromStdString(item));
    }
    box->setCurrentText(QString::fromStdString(current));
    return box;
}

}  // namespace

ComPropertiesDialog::ComPropertiesDialog(CComPropertiesDlg& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(QString::fromLatin1(CComPropertiesDlg::kCaption));
    m_port = List(logic.PortNames(), {}, this);
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setCurrentIndex(logic.InitialSelection());
    m_port->setMinimumContentsLength(28);
    m_baud = List(CComPropertiesDlg::BaudRates(), logic.m_baudText, this);
    m_baud->setObjectName(QStringLiteral("baud"));
    m_baud->setCurrentText(QString::fromStdString(logic.m_baudText));
    auto* dataBits = List(CComPropertiesDlg::DataBits(), logic.m_dataBits, this);
    auto* parity = List(CComPropertiesDlg::Parities(), logic.m_parity, this);
    auto* stopBits = List(CComPropertiesDlg::StopBits(), logic.m_stopBits, this);
    // The line always runs 8N1: shown, not offered.
    for (QComboBox* fixed : {dataBits, parity, stopBits}) {
        fixed->setEnabled(false);
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Port:"), m_port);
    form->addRow(QStringLiteral("&Baud Rate:"), m_baud);
    form->addRow(QStringLiteral("&Data Bits:"), dataBits);
    form->addRow(QStringLiteral("P&arity:"), parity);
    form->addRow(QStringLiteral("&Stop Bits:"), stopBits);
    m_reconnect = new QCheckBox(QStringLiteral("&Reconnect automatically"), this);
    m_reconnect->setObjectName(QStringLiteral("reconnect"));
    m_reconnect->setToolTip(
        QStringLiteral("When the device goes away (an unplugged adapter), open it again as soon as it "
                       "returns under the same name"));
    m_reconnect->setChecked(logic.m_reconnect);
    form->addRow(QString(), m_reconnect);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ComPropertiesDialog::accept() {
    m_logic.OnOk(m_port->currentIndex() >= 0 ? m_port->currentText().toStdString() : std::string(),
                 m_baud->currentText().toStdString());
    m_logic.m_reconnect = m_reconnect->isChecked();
    QDialog::accept();
}
