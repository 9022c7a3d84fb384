#include "gui/tags/ToolDialog.h"

#include "gui/config/ControlSync.h"

ToolDialog::ToolDialog(const char* caption, IPrompt& prompt, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompt(prompt, this) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(caption));
}

QPushButton* ToolDialog::Button(const char* caption, const char* name) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void ToolDialog::SyncList(QListWidget* list, const std::vector<std::string>& lines, int selected) {
    const int count = list->count();
    const int size = static_cast<int>(lines.size());
    bool prefix = count <= size;
    if (prefix && count > 0) {
        prefix = list->item(count - 1)->text() == ControlSync::ToQt(lines[static_cast<size_t>(count - 1)]) &&
                 list->item(0)->text() == ControlSync::ToQt(lines[0]);
    }
    if (!prefix) {
        list->clear();
    }
    for (int i = list->count(); i < size; ++i) {
        list->addItem(ControlSync::ToQt(lines[static_cast<size_t>(i)]));
    }
    if (selected >= 0 && selected < size && list->currentRow() != selected) {
        list->setCurrentRow(selected);
    }
}
