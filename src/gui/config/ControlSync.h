#pragma once

#include <QAbstractButton>
#include <QButtonGroup>
#include <QByteArray>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QString>

#include <string>

// Copying values between the page logic and the widgets. Setters leave a control alone when it
// already shows the value, so a refresh never moves the cursor of a field being typed in.
namespace ControlSync {

// The page logic counts one character as one byte, as the reader does: fields travel as
// Latin-1, so that a start character or a version byte above 0x7F stays one character.
inline QString ToQt(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStd(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Keeps characters out of a field that have no single-byte code.
inline QValidator* Latin1Only(QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x{0}-\\x{ff}]*")), parent);
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
