#pragma once

#include "core/diagnosis/DiagnosisDlg.h"
#include "gui/app/QtPrompt.h"

#include <QDialog>
#include <QFont>

class QCheckBox;
class QLabel;
class QComboBox;
class QLineEdit;
class QPainter;
class QPushButton;
class QRadioButton;

// Paints a list of primitives: the only drawing code of the diagnosis area.
void PaintPrimitives(QPainter& painter, const Primitives& primitives);

// The "Diagnosis" window: owns the controls and the drawing area and binds them to CDiagnosisDlg.
class DiagnosisWindow final : public QDialog, private IDiagnosisView {
    Q_OBJECT

public:
    DiagnosisWindow(IMainWindow& main, IPrompt& prompt, bool developer, QWidget* parent = nullptr);
    static constexpr const char* kExportFilter = "PNG image and CSV table (*.png)";

    CDiagnosisDlg& Logic() { return m_logic; }
    // The drawing area's current picture, as the painter receives it.
    Primitives CurrentPrimitives();
    QWidget* DrawingArea() const;
    const QFont& DisplayFont() const { return m_font; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Canvas;

    void Repaint() override;
    QWidget* BuildGeneral();
    QWidget* BuildZoom();
    QWidget* BuildFiles();
    QWidget* BuildDft();
    // The humble dialog's data exchange: controls to fields before a handler, back after it.
    void CopyIn();
    void CopyOut();
    void Handle(void (CDiagnosisDlg::*handler)());
    void OnFont();
    void OnExport();
    void ShowReadout(int x);

    WindowPrompt m_prompt;
    CDiagnosisDlg m_logic;
    QFont m_font;
    bool m_closed = false;
    Canvas* m_area = nullptr;
    QCheckBox* m_sampleFdx = nullptr;
    QCheckBox* m_sampleHdx = nullptr;
    QCheckBox* m_sampleUb = nullptr;
    QCheckBox* m_average = nullptr;
    QRadioButton* m_oscilloscope = nullptr;
    QRadioButton* m_instrument = nullptr;
    QPushButton* m_start = nullptr;
    QComboBox* m_zoom = nullptr;
    QCheckBox* m_autosave = nullptr;
    QLineEdit* m_prefix = nullptr;
    QCheckBox* m_dft = nullptr;
    QCheckBox* m_line = nullptr;
    QCheckBox* m_log = nullptr;
    QLineEdit* m_gain = nullptr;
    QLabel* m_readout = nullptr;
};
