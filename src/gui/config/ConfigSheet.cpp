#include "gui/config/ConfigSheet.h"

#include "gui/config/AdditionalPageWidget.h"
#include "gui/config/BluetoothPageWidget.h"
#include "gui/config/EventsPageWidget.h"
#include "gui/config/LcdPageWidget.h"
#include "gui/config/OptimizationPageWidget.h"
#include "gui/config/OutputFormatPageWidget.h"
#include "gui/config/ReaderPageWidget.h"
#include "gui/config/RtcPageWidget.h"

#include <QVBoxLayout>

ConfigSheet::ConfigSheet(CConfigPages& pages, IMainWindow& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), m_pages(pages), m_mainWindow(mainWindow) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kCaption));
    setObjectName(QStringLiteral("configSheet"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("configTabs"));
    // All eight captions stay readable: the sheet grows to fit them rather than scrolling.
    m_tabs->setUsesScrollButtons(false);
    layout->addWidget(m_tabs);

    for (int i = 0; i < CConfigPages::kCount; ++i) {
        ConfigPageWidget* widget = nullptr;
        switch (i) {
            case CConfigPages::kReader:
                widget = new ReaderPageWidget(pages.Reader(), m_tabs);
                break;
            case CConfigPages::kEvents:
                widget = new EventsPageWidget(pages.Events(), m_tabs);
                break;
            case CConfigPages::kRealTimeClock:
                widget = new RtcPageWidget(pages.Rtc(), m_tabs);
                break;
            case CConfigPages::kLcd:
                widget = new LcdPageWidget(pages.Lcd(), m_tabs);
                break;
            case CConfigPages::kAdditional:
                widget = new AdditionalPageWidget(pages.Additional(), m_tabs);
                break;
            case CConfigPages::kOutputFormat:
                widget = new OutputFormatPageWidget(pages.OutputFormat(), m_tabs);
                break;
            case CConfigPages::kBluetooth:
                widget = new BluetoothPageWidget(pages.Bluetooth(), m_tabs);
                break;
            case CConfigPages::kOptimization:
                widget = new OptimizationPageWidget(pages.Optimization(), m_tabs);
                break;
            default:
                widget = new ConfigPageWidget(pages.Page(i), m_tabs);
                break;
        }
        widget->setObjectName(QString::fromUtf8(pages.Page(i).Caption()));
        widget->PlaceBandLastInTabOrder();
        m_tabs->addTab(widget, QString::fromUtf8(pages.Page(i).Caption()));
    }
    m_tabChanged = connect(m_tabs, &QTabWidget::currentChanged, this,
                           [this](int index) { m_pages.Page(index).EnsureCreated(); });
    m_pages.Page(m_tabs->currentIndex()).EnsureCreated();
}

ConfigSheet::~ConfigSheet() {
    // Removing the tabs while the children go would otherwise create pages on dying widgets.
    disconnect(m_tabChanged);
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        if (m_pages.Page(i).View() == dynamic_cast<IPageView*>(m_tabs->widget(i))) {
            m_pages.Page(i).SetView(nullptr);
        }
    }
    m_mainWindow.OnMainCommand(MainCommand::kWindowClosing, Resource::kConfigSheet);
}

int ConfigSheet::ActivePage() const {
    return m_tabs->currentIndex();
}

void ConfigSheet::SetActivePage(int index) {
    m_tabs->setCurrentIndex(index);
}

void ConfigSheet::BringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

QWidget* ConfigSheet::PageWidget(int index) const {
    return m_tabs->widget(index);
}
