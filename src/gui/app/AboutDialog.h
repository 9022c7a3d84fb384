#pragma once

#include <QDialog>

// "Info über Corvantelle": the model and the program's version.
class AboutDialog final : public QDialog {
    Q_OBJECT

public:
    // versionLine: the text beside the icon; empty when opened without one.
    explicit AboutDialog(const QString& versionLine, QWidget* parent = nullptr);

    static QString VersionLine();
};
