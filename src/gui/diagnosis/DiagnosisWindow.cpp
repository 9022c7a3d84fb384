#include "gui/diagnosis/DiagnosisWindow.h"

#include "core/app/WindowRegistry.h"
#include "core/diagnosis/SampleFile.h"
#include "core/util/AtomicFile.h"
#include "gui/config/ControlSync.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QVarLengthArray>
#include <QWheelEvent>

namespace {

QColor Colour(uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QPen ToPen(const Pen& pen) {
    QPen out(Colour(pen.rgb), pen.width, pen.style == Pen::kDot ? Qt::DotLine : Qt::SolidLine);
    out.setCapStyle(Qt::FlatCap);
    return out;
}

QPoint ToQt(const Point& p) {
    return QPoint(p.x, p.y);
}

// "Courier New", 14 pixels high, thin; Liberation Mono has the same metrics where it is missing.
QFont FirstFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(14);
    font.setWeight(QFont::Thin);
    return font;
}

template <typename T>
T* Named(T* widget, const char* name, const char* tip = nullptr) {
    widget->setObjectName(QString::fromLatin1(name));
    if (tip != nullptr) {
        widget->setToolTip(QString::fromLatin1(tip));
    }
    return widget;
}

}  // namespace

void PaintPrimitives(QPainter& painter, const Primitives& primitives) {
    const QFontMetrics metrics = painter.fontMetrics();
    for (const Primitive& p : primitives) {
        painter.setPen(ToPen(p.pen));
        switch (p.kind) {
            case Primitive::kRect:
                painter.setBrush(Qt::white);
                painter.drawRect(QRect(ToQt(p.points[0]), ToQt(p.points[1]) - QPoint(1, 1)));
                painter.setBrush(Qt::NoBrush);
                break;
            case Primitive::kLine:
            case Primitive::kBar:
                painter.drawLine(ToQt(p.points[0]), ToQt(p.points[1]));
                break;
            case Primitive::kPolyline: {
                // Segment by segment: a wide pen over one long polyline goes through the path
                // stroker with a join at every point, several times slower at this size.
                QVarLengthArray<QLine, 1024> lines;
                for (size_t i = 1; i < p.points.size(); ++i) {
                    lines.append(QLine(ToQt(p.points[i - 1]), ToQt(p.points[i])));
                }
                // Square ends close the corners between segments.
                QPen pen = painter.pen();
                pen.setCapStyle(Qt::SquareCap);
                painter.setPen(pen);
                painter.drawLines(lines.constData(), static_cast<int>(lines.size()));
                break;
            }
            case Primitive::kText: {
                const QString text = ControlSync::ToQt(p.text);
                if (p.align == Primitive::kLeftTop) {
                    painter.drawText(QPoint(p.points[0].x, p.points[0].y + metrics.ascent()), text);
                } else {
                    painter.drawText(
                        QPoint(p.points[0].x - metrics.horizontalAdvance(text) / 2, p.points[0].y), text);
                }
                break;
            }
        }
    }
}

// The black frame the window draws into.
class DiagnosisWindow::Canvas final : public QWidget {
public:
    explicit Canvas(DiagnosisWindow& owner) : QWidget(&owner), m_owner(owner) {
        setObjectName(QStringLiteral("diagnosisArea"));
        setMinimumSize(560, 280);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        setMouseTracking(true);
        setCursor(Qt::OpenHandCursor);
    }
    Area Rect() const { return Area{0, 0, width(), height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(m_owner.m_font);
        painter.setClipRect(rect());
        PaintPrimitives(painter, m_owner.CurrentPrimitives());
    }
    void wheelEvent(QWheelEvent* event) override {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0) {
            m_owner.CopyIn();
            m_owner.m_logic.OnWheel(Rect(), static_cast<int>(event->position().x()), steps);
            m_owner.CopyOut();
            m_owner.ShowReadout(static_cast<int>(event->position().x()));
        }
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            m_pressX = static_cast<int>(event->position().x());
            m_owner.CopyIn();
            m_owner.m_logic.OnDragStart();
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const int x = static_cast<int>(event->position().x());
        if ((event->buttons() & Qt::LeftButton) != 0) {
            m_owner.CopyIn();
            m_owner.m_logic.OnDrag(Rect(), x - m_pressX);
        }
        m_owner.ShowReadout(x);
    }
    void leaveEvent(QEvent*) override { m_owner.m_readout->clear(); }

private:
    DiagnosisWindow& m_owner;
    int m_pressX = 0;
};

DiagnosisWindow::DiagnosisWindow(IMainWindow& main, IPrompt& prompt, bool developer, QWidget* parent)
    : QDialog(parent),
      m_prompt(prompt, this),
      m_logic(main, m_prompt, *this, developer),
      m_font(FirstFont()) {
    setWindowTitle(QString::fromLatin1(Caption::kDiagnosis));
    setObjectName(QStringLiteral("diagnosis"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_area = new Canvas(*this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(BuildGeneral());
    bottom->addWidget(BuildZoom());
    bottom->addWidget(BuildFiles());
    bottom->addWidget(BuildDft());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_area, 1);
    m_readout = Named(new QLabel(this), "readout");
    m_readout->setMinimumHeight(m_readout->fontMetrics().height());
    layout->addWidget(m_readout);
    layout->addLayout(bottom);
    CopyOut();
}

void DiagnosisWindow::Handle(void (CDiagnosisDlg::*handler)()) {
    CopyIn();
    (m_logic.*handler)();
    CopyOut();
}

QWidget* DiagnosisWindow::BuildGeneral() {
    auto* group = new QGroupBox(QStringLiteral("General"), this);
    m_sampleFdx =
        Named(new QCheckBox(QStringLiteral("Sample FDX"), group), "sampleFdx", "Enable FDX diagnosis");
    m_sampleHdx =
        Named(new QCheckBox(QStringLiteral("Sample HDX"), group), "sampleHdx", "Enable HDX diagnosis");
    m_sampleUb = Named(new QCheckBox(QStringLiteral("Sample UB"), group), "sampleUb");
    m_average = Named(new QCheckBox(QStringLiteral("Avarage"), group), "average");
    m_oscilloscope = Named(new QRadioButton(QStringLiteral("Oscilloscope"), group), "oscilloscope");
    m_instrument = Named(new QRadioButton(QStringLiteral("Instrument"), group), "instrument");
    auto* exit = Named(new QPushButton(QStringLiteral("EXIT"), group), "exit");
    exit->setDefault(true);
    m_start = Named(new QPushButton(QStringLiteral("Start"), group), "start", "Start selected diagnosis");
    auto* stop = Named(new QPushButton(QStringLiteral("Stop"), group), "stop", "Stop selected diagnosis");
    auto* font = Named(new QPushButton(QStringLiteral("Font"), group), "font", "Select font");
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_sampleFdx, 0, 0, 1, 2);
    grid->addWidget(m_sampleHdx, 1, 0, 1, 2);
    grid->addWidget(m_sampleUb, 2, 0, 1, 2);
    grid->addWidget(m_average, 0, 2, 1, 2);
    grid->addWidget(m_oscilloscope, 1, 2, 1, 2);
    grid->addWidget(m_instrument, 2, 2, 1, 2);
    grid->addWidget(exit, 3, 0);
    grid->addWidget(m_start, 3, 1);
    grid->addWidget(stop, 3, 2);
    grid->addWidget(font, 3, 3);
    connect(m_sampleFdx, &QCheckBox::clicked, this, [this] { Handle(&CDiagnosisDlg::OnSampleFdx); });
    connect(m_sampleHdx, &QCheckBox::clicked, this, [this] { Handle(&CDiagnosisDlg::OnSampleHdx); });
    connect(m_sampleUb, &QCheckBox::clicked, this, [this] { Handle(&CDiagnosisDlg::OnSampleUb); });
    connect(m_average, &QCheckBox::clicked, this, [this] { Handle(&CDiagnosisDlg::OnAverage); });
    connect(m_oscilloscope, &QRadioButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnOscilloscope); });
    connect(m_instrument, &QRadioButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnInstrument); });
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_start, &QPushButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnStart); });
    connect(stop, &QPushButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnStop); });
    connect(font, &QPushButton::clicked, this, [this] { OnFont(); });
    return group;
}

QWidget* DiagnosisWindow::BuildZoom() {
    auto* group = new QGroupBox(QStringLiteral("ZOOM"), this);
    m_zoom = Named(new QComboBox(group), "zoom");
    m_zoom->addItems(
        {QStringLiteral("800%"), QStringLiteral("400%"), QStringLiteral("200%"), QStringLiteral("100%")});
    m_zoom->setCurrentIndex(3);
    auto* left =
        Named(new QPushButton(QStringLiteral("<<"), group), "shiftLeft", "Move diagnosis screen left");
    auto* reset = Named(new QPushButton(QStringLiteral("Reset"), group), "reset",
                        "Move diagnosis screen to original position ");
    auto* right =
        Named(new QPushButton(QStringLiteral(">>"), group), "shiftRight", "Move diagnosis screen right");
    for (QPushButton* b : {left, right}) {
        b->setMaximumWidth(36);
    }
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_zoom, 0, 0, 1, 3);
    grid->addWidget(left, 1, 0);
    grid->addWidget(reset, 1, 1);
    grid->addWidget(right, 1, 2);
    connect(left, &QPushButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnShiftLeft); });
    connect(reset, &QPushButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnReset); });
    connect(right, &QPushButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnShiftRight); });
    return group;
}

QWidget* DiagnosisWindow::BuildFiles() {
    auto* group = new QGroupBox(QStringLiteral("File operations"), this);
    m_autosave = Named(new QCheckBox(QStringLiteral("Autosave"), group), "autosave");
    m_prefix = Named(new QLineEdit(group), "prefix");
    m_prefix->setMaxLength(static_cast<int>(SampleFile::kMaxPrefix));
    m_prefix->setValidator(ControlSync::Latin1Only(m_prefix));
    auto* load =
        Named(new QPushButton(QStringLiteral("Load"), group), "load", "Load diagnosis data from file");
    auto* save = Named(new QPushButton(QStringLiteral("Save"), group), "save", "Save diagnosis data to file");
    auto* exportButton = Named(new QPushButton(QStringLiteral("Export"), group), "export",
                               "Write the view as PNG and the samples or spectrum as CSV");
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_autosave, 0, 0, 1, 2);
    grid->addWidget(m_prefix, 1, 0, 1, 2);
    grid->addWidget(load, 2, 0);
    grid->addWidget(save, 2, 1);
    grid->addWidget(exportButton, 3, 0, 1, 2);
    connect(exportButton, &QPushButton::clicked, this, [this] { OnExport(); });
    connect(m_autosave, &QCheckBox::clicked, this, [this] { CopyIn(); });
    connect(load, &QPushButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnLoad); });
    connect(save, &QPushButton::clicked, this, [this] { Handle(&CDiagnosisDlg::OnSave); });
    return group;
}

QWidget* DiagnosisWindow::BuildDft() {
    auto* group = new QGroupBox(QStringLiteral("DFT"), this);
    m_dft = Named(new QCheckBox(QStringLiteral("Off"), group), "dft");
    m_line = Named(new QCheckBox(QStringLiteral("Line"), group), "line");
    m_log = Named(new QCheckBox(QStringLiteral("Log"), group), "log");
    m_gain = Named(new QLineEdit(QStringLiteral("1"), group), "gain");
    m_gain->setMaximumWidth(48);
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_dft, 0, 0, 1, 2);
    grid->addWidget(m_line, 1, 0);
    grid->addWidget(m_log, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Zoom:"), group), 2, 0);
    grid->addWidget(m_gain, 2, 1);
    connect(m_dft, &QCheckBox::clicked, this, [this] { Handle(&CDiagnosisDlg::OnDft); });
    connect(m_line, &QCheckBox::clicked, this, [this] { Handle(&CDiagnosisDlg::OnLine); });
    connect(m_log, &QCheckBox::clicked, this, [this] { CopyIn(); });
    return group;
}

void DiagnosisWindow::CopyIn() {
    auto& d = m_logic.Data();
    d.sampleFdx = m_sampleFdx->isChecked();
    d.sampleHdx = m_sampleHdx->isChecked();
    d.sampleUb = m_sampleUb->isChecked();
    d.average = m_average->isChecked();
    d.oscilloscope = !m_instrument->isChecked();
    d.zoomIndex = m_zoom->currentIndex();
    d.autosave = m_autosave->isChecked();
    d.prefix = ControlSync::ToStd(m_prefix->text());
    d.dft = m_dft->isChecked();
    d.line = m_line->isChecked();
    d.log = m_log->isChecked();
    d.gain = ControlSync::ToStd(m_gain->text());
}

void DiagnosisWindow::CopyOut() {
    const auto& d = m_logic.Data();
    ControlSync::SetChecked(m_sampleFdx, d.sampleFdx);
    ControlSync::SetChecked(m_sampleHdx, d.sampleHdx);
    ControlSync::SetChecked(m_sampleUb, d.sampleUb);
    ControlSync::SetChecked(m_average, d.average);
    ControlSync::SetChecked(d.oscilloscope ? static_cast<QAbstractButton*>(m_oscilloscope) : m_instrument,
                            true);
    ControlSync::SetChecked(m_dft, d.dft);
    if (m_zoom->currentIndex() != d.zoomIndex) {
        m_zoom->setCurrentIndex(d.zoomIndex);
    }
    m_dft->setText(QString::fromLatin1(m_logic.DftCaption()));
    const auto& c = m_logic.ControlStates();
    m_start->setEnabled(c.startEnabled);
    m_sampleFdx->setEnabled(c.sampleFdxEnabled);
    m_sampleHdx->setEnabled(c.sampleHdxEnabled);
    m_sampleUb->setEnabled(c.sampleUbEnabled);
    m_average->setEnabled(c.averageEnabled);
    m_oscilloscope->setEnabled(c.oscilloscopeEnabled);
    m_instrument->setEnabled(c.instrumentEnabled);
    m_log->setEnabled(c.logEnabled);
    m_sampleHdx->setVisible(c.sampleHdxVisible);
    m_average->setVisible(c.averageVisible);
    m_sampleUb->setVisible(c.sampleUbVisible);
    m_oscilloscope->setVisible(c.oscilloscopeVisible);
    m_instrument->setVisible(c.instrumentVisible);
    m_log->setVisible(c.logVisible);
}

QWidget* DiagnosisWindow::DrawingArea() const {
    return m_area;
}

Primitives DiagnosisWindow::CurrentPrimitives() {
    // The view follows the controls as they stand now, as a paint reads them.
    CopyIn();
    return Diagnosis::Draw(m_logic.Snapshot(m_area->Rect()));
}

void DiagnosisWindow::Repaint() {
    m_area->update();
}

void DiagnosisWindow::OnFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, m_font, this, QStringLiteral("Font"));
    if (ok) {
        m_font = chosen;
        Repaint();
    }
}

void DiagnosisWindow::ShowReadout(int x) {
    CopyIn();
    m_readout->setText(ControlSync::ToQt(m_logic.Readout(m_area->Rect(), x)));
}

void DiagnosisWindow::OnExport() {
    std::string base = m_prompt.SaveFileName(kExportFilter);
    if (base.empty()) {
        return;
    }
    for (const char* ext : {".png", ".csv"}) {
        if (base.size() > 4 && base.compare(base.size() - 4, 4, ext) == 0) {
            base.resize(base.size() - 4);
        }
    }
    CopyIn();
    const std::string png = base + ".png";
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(m_area->grab().toImage())) {
            m_prompt.Message("Cannot write " + png + ": " + writer.errorString().toStdString());
            return;
        }
    }
    std::string error;
    if (!WriteFileAtomically(png, bytes.toStdString(), error)) {
        m_prompt.Message(error);
        return;
    }
    m_logic.ExportCsv(base);
}

void DiagnosisWindow::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DiagnosisWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        m_closed = true;
        m_logic.OnExit();
    }
    QDialog::closeEvent(event);
}
