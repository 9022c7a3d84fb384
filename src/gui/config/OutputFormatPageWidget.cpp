#include "gui/config/OutputFormatPageWidget.h"

#include "gui/config/ControlSync.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace ControlSync;

OutputFormatPageWidget::OutputFormatPageWidget(CPropPageOutputFormat& page, QWidget* parent)
    : ConfigPageWidget(page, parent), m_format(page) {
    auto* layout = new QVBoxLayout(Body());
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    const int rows = (CPropPageOutputFormat::kListCount + 1) / 2;
    for (int i = 0; i < CPropPageOutputFormat::kListCount; ++i) {
        const auto& info = CPropPageOutputFormat::Lists()[static_cast<size_t>(i)];
        auto* list = new QComboBox(Body());
        list->setObjectName(QStringLiteral("outList%1").arg(i));
        for (const auto& entry : info.entries) {
            list->addItem(QString::fromUtf8(entry.first));
        }
        m_lists[static_cast<size_t>(i)] = list;
        const int column = (i / rows) * 3;
        grid->addWidget(new QLabel(QString::fromUtf8(info.label), Body()), i % rows, column);
        grid->addWidget(list, i % rows, column + 1);
        connect(list, &QComboBox::activated, this, [this] { m_format.OnSelectionChanged(); });
    }
    m_selfDefined = new QLineEdit(Body());
    m_selfDefined->setObjectName(QStringLiteral("outSelfDefined"));
    m_selfDefined->setValidator(Latin1Only(this));
    m_selfDefined->setMaximumWidth(80);
    grid->addWidget(m_selfDefined, (CPropPageOutputFormat::kInitialCharacter) % rows,
                    (CPropPageOutputFormat::kInitialCharacter / rows) * 3 + 2);
    connect(m_selfDefined, &QLineEdit::textEdited, this, [this] { m_format.OnSelectionChanged(); });

    auto* current = new QGroupBox(QStringLiteral("Current selected output format"), Body());
    auto* cl = new QHBoxLayout(current);
    m_preview = new QLabel(current);
    m_preview->setObjectName(QStringLiteral("outPreview"));
    m_preview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cl->addWidget(m_preview, 1);
    auto* save = NamedButton(current, "Save", "outSave", " Send the selected output format to the reader ");
    auto* read = NamedButton(current, "Read", "outRead", " Read the output format of the reader ");
    cl->addWidget(save);
    cl->addWidget(read);
    layout->addWidget(current);
    layout->addStretch(1);

    connect(save, &QPushButton::clicked, this, [this] { m_format.OnSave(); });
    connect(read, &QPushButton::clicked, this, [this] { m_format.OnReadFormat(); });
    UpdateControls();
}

void OutputFormatPageWidget::ShowFields() {
    const auto& c = m_format.Fields();
    for (size_t i = 0; i < m_lists.size(); ++i) {
        if (m_lists[i]->currentIndex() != c.selection[i]) {
            m_lists[i]->setCurrentIndex(c.selection[i]);
        }
    }
    SetText(m_selfDefined, c.selfDefined);
    m_preview->setText(ToQt(c.preview));
}

void OutputFormatPageWidget::StoreFields() {
    auto& c = m_format.Fields();
    for (size_t i = 0; i < m_lists.size(); ++i) {
        c.selection[i] = m_lists[i]->currentIndex();
    }
    c.selfDefined = ToStd(m_selfDefined->text());
}
