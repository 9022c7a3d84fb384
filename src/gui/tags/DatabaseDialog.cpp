#include "gui/tags/DatabaseDialog.h"

#include "gui/config/ControlSync.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
QLineEdit* Field(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}
}  // namespace

DatabaseDialog::DatabaseDialog(IMainWindow& mainWindow, IPrompt& prompt, QWidget* parent)
    : ToolDialog("Database", prompt, parent), m_logic(mainWindow, Prompt()) {
    setObjectName(QStringLiteral("databaseDialog"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;

    auto* amountBox = new QGroupBox(QStringLiteral("Amount of datasets"), this);
    auto* amountRow = new QHBoxLayout(amountBox);
    m_amount = Field(amountBox, "amount");
    auto* get = Button("Get", "get");
    amountRow->addWidget(m_amount);
    amountRow->addWidget(get);
    left->addWidget(amountBox);

    auto* datasetBox = new QGroupBox(QStringLiteral("Dataset"), this);
    auto* form = new QGridLayout(datasetBox);
    m_number = new QSpinBox(datasetBox);
    m_number->setObjectName(QStringLiteral("number"));
    m_number->setRange(1, CDatabaseDlg::kMaxNumber);
    auto* read = Button("Read", "read");
    m_countryCode = Field(datasetBox, "countryCode");
    m_countryName = new QLabel(datasetBox);
    m_countryName->setObjectName(QStringLiteral("countryName"));
    m_id = Field(datasetBox, "id");
    m_tagType = Field(datasetBox, "tagType");
    m_date = Field(datasetBox, "date");
    m_time = Field(datasetBox, "time");
    int row = 0;
    form->addWidget(new QLabel(QStringLiteral("Number:"), datasetBox), row, 0);
    form->addWidget(m_number, row, 1);
    form->addWidget(read, row++, 2);
    form->addWidget(new QLabel(QStringLiteral("Countrycode:"), datasetBox), row, 0);
    form->addWidget(m_countryCode, row, 1);
    form->addWidget(m_countryName, row++, 2);
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"ID:", m_id}, {"Tagtype:", m_tagType}, {"Date:", m_date}, {"Time:", m_time}};
    for (const auto& [label, edit] : fields) {
        form->addWidget(new QLabel(QString::fromLatin1(label), datasetBox), row, 0);
        form->addWidget(edit, row++, 1, 1, 2);
    }
    left->addWidget(datasetBox);

    auto* allBox = new QGroupBox(QStringLiteral("All datasets"), this);
    auto* allLayout = new QGridLayout(allBox);
    m_separation = new QLineEdit(allBox);
    m_separation->setObjectName(QStringLiteral("separation"));
    m_separation->setMaxLength(static_cast<int>(CDatabaseDlg::kMaxField));
    m_newFile = new QCheckBox(QStringLiteral("New file on new group"), allBox);
    m_newFile->setObjectName(QStringLiteral("newFile"));
    auto* getAll = Button("Get all", "getAll");
    m_stop = Button("Stop", "stop");
    m_stop->setToolTip(QStringLiteral("End the reading: what was read stays in the list and the file"));
    allLayout->addWidget(new QLabel(QStringLiteral("Separation string:"), allBox), 0, 0);
    allLayout->addWidget(m_separation, 0, 1);
    allLayout->addWidget(m_newFile, 1, 0, 1, 2);
    allLayout->addWidget(getAll, 2, 0);
    allLayout->addWidget(m_stop, 2, 1);
    left->addWidget(allBox);
    left->addStretch(1);

    auto* buttons = new QHBoxLayout;
    auto* clear = Button("Clear", "clear");
    clear->setToolTip(QStringLiteral("Clear every dataset stored in the reader"));
    auto* open = Button("Open", "open");
    auto* quit = Button("Quit", "quit");
    buttons->addWidget(clear);
    buttons->addWidget(open);
    buttons->addStretch(1);
    buttons->addWidget(quit);
    left->addLayout(buttons);
    layout->addLayout(left);

    auto* right = new QVBoxLayout;
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance(QString(44, QLatin1Char('0'))));
    m_list->setUniformItemSizes(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("progressText"));
    right->addWidget(m_list, 1);
    right->addWidget(m_progress);
    right->addWidget(m_progressText);
    layout->addLayout(right, 1);

    connect(get, &QPushButton::clicked, this, [this] { m_logic.OnGet(); });
    connect(read, &QPushButton::clicked, this, [this] { m_logic.OnRead(); });
    connect(clear, &QPushButton::clicked, this, [this] { m_logic.OnClear(); });
    connect(getAll, &QPushButton::clicked, this, [this] { m_logic.OnGetAll(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_logic.OnStop(); });
    connect(open, &QPushButton::clicked, this, [this] { m_logic.OnOpen(); });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_newFile, &QCheckBox::toggled, this, [this] { StoreControls(); });
    connect(m_separation, &QLineEdit::textEdited, this, [this] { StoreControls(); });
    m_logic.SetView(this);
    UpdateControls();
}

DatabaseDialog::~DatabaseDialog() {
    m_logic.SetView(nullptr);
    m_logic.OnQuit();
}

void DatabaseDialog::UpdateControls() {
    ControlSync::SetText(m_amount, m_logic.m_amountText);
    int number = 0;
    if (m_number->text() != ControlSync::ToQt(m_logic.m_number) &&
        (number = QString::fromStdString(m_logic.m_number).toInt()) >= 1 &&
        number <= CDatabaseDlg::kMaxNumber) {
        m_number->setValue(number);
    }
    ControlSync::SetText(m_countryCode, m_logic.m_countryCode);
    m_countryName->setText(QString::fromStdString(m_logic.m_countryName));
    ControlSync::SetText(m_id, m_logic.m_id);
    ControlSync::SetText(m_tagType, m_logic.m_tagType);
    ControlSync::SetText(m_date, m_logic.m_date);
    ControlSync::SetText(m_time, m_logic.m_time);
    ControlSync::SetText(m_separation, m_logic.m_separation);
    ControlSync::SetChecked(m_newFile, m_logic.m_newFilePerGroup);
    SyncList(m_list, m_logic.Lines(), m_logic.Selected());
    m_progress->setRange(0, std::max(m_logic.ProgressHigh(), 1));
    m_progress->setValue(m_logic.ProgressPosition());
    m_progressText->setText(QString::fromStdString(m_logic.ProgressText()));
    m_stop->setEnabled(m_logic.State() != CDatabaseDlg::kIdle);
}

void DatabaseDialog::StoreControls() {
    m_logic.m_number = ControlSync::ToStd(m_number->text());
    m_logic.m_separation = ControlSync::ToStd(m_separation->text());
    m_logic.m_newFilePerGroup = m_newFile->isChecked();
}
