#pragma once

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QString>

#include <string>

// Copying values between the page logic and the widgets. Setters leave a control alone when it
// already shows the value, so a refresh never moves the cursor of a field being typed in.
namespace ControlSync {

inline QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string ToStd(const QString& text) {
    return text.toStdString();
}

inline void SetText(QLineEdit* edit, const std::string& text) {
    const QString value = ToQt(text);
    if (edit->text() != value) {
        edit->setText(value);
    }
}

inline void SetChecked(QAbstractButton* button, bool checked) {
    if (button->isChecked() != checked) {
        button->setChecked(checked);
    }
}

// Checks the radio button with the id, or none for an id without a button.
inline void CheckRadio(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id)) {
        SetChecked(button, true);
        return;
    }
    if (group->checkedButton() == nullptr) {
        return;
    }
    group->setExclusive(false);
    group->checkedButton()->setChecked(false);
    group->setExclusive(true);
}

}  // namespace ControlSync
