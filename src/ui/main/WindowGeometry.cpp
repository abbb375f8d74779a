#include "WindowGeometry.h"

#include "core/settings/ProgramOptions.h"
#include "core/settings/modManageSettings.h"
#include "ui/controls/SplitterBar.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Twips.h"

#include <QAction>
#include <QFrame>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

#include <algorithm>

WindowGeometry::WindowGeometry(QMainWindow *window, const Controls &controls, SettingsFile &settings,
                               ProgramOptions &options)
    : QObject(window), m_window(window), m_ui(controls), m_settings(settings), m_options(options)
{
    // Strip heights are fixed; everything below them is placed by the layout rules.
    m_geometry.frame1.top = 0;
    m_geometry.frame1.height = Twips::fromPixelsY(m_ui.Frame1->sizeHint().height());
    m_geometry.fr.height = Twips::fromPixelsY(std::max(m_ui.Fr->sizeHint().height(), 24));
    m_geometry.lv.top = m_geometry.frame1.top + m_geometry.frame1.height;
    m_geometry.lv2.visible = false;
    m_geometry.fr.visible = false;
    m_geometry.lr.visible = false;

    connect(m_ui.lr, &SplitterBar::mouseDown, this, [this](Qt::MouseButton button, double y) {
        if (button != Qt::LeftButton)
            return;
        m_dragging = true;
        m_dragY0 = y;
    });
    connect(m_ui.lr, &SplitterBar::mouseMove, this, [this](Qt::MouseButtons, double y) {
        if (!m_dragging)
            return;
        readGeometry();
        MainLayout::dragSplitter(m_geometry, m_dragY0, y);
        applyGeometry();
    });
    connect(m_ui.lr, &SplitterBar::mouseUp, this, [this](Qt::MouseButton, double) { m_dragging = false; });

    m_window->setMinimumSize(Twips::toPixelsX(MainLayout::kMinFormSize - MainLayout::kFrameWidth),
                             Twips::toPixelsY(MainLayout::kMinFormSize - MainLayout::kNonClientHeight));
    setFormSize(13500, 9600);
}

// The layout rules work on the outer size of the window, frame and caption included. Here the window
// system draws the frame, so the outer size is our client area below the menu bar plus the allowance the
// rules keep for frame, caption and menu bar. Until the window is first shown its bars are not laid out
// yet, so their preferred heights stand in for their heights.
int WindowGeometry::menuBarHeight() const
{
    return m_window->isVisible() ? m_window->menuBar()->height() : m_window->menuBar()->sizeHint().height();
}

int WindowGeometry::statusBarHeight() const
{
    return m_window->isVisible() ? m_ui.Stb->height() : m_ui.Stb->sizeHint().height();
}

double WindowGeometry::formWidth() const
{
    return Twips::fromPixelsX(m_window->width()) + MainLayout::kFrameWidth;
}

double WindowGeometry::formHeight() const
{
    return Twips::fromPixelsY(m_window->height() - menuBarHeight()) + MainLayout::kNonClientHeight;
}

void WindowGeometry::setFormSize(double widthTwips, double heightTwips)
{
    const int clientHeight = Twips::toPixelsY(heightTwips - MainLayout::kNonClientHeight);
    m_window->resize(Twips::toPixelsX(widthTwips - MainLayout::kFrameWidth),
                     std::max(clientHeight, statusBarHeight()) + menuBarHeight());
}

void WindowGeometry::readGeometry()
{
    m_geometry.minimised = m_window->isMinimized();
    m_geometry.formWidth = formWidth();
    m_geometry.formHeight = formHeight();
    m_geometry.stbHeight = Twips::fromPixelsY(statusBarHeight());
    m_geometry.lv2.visible = m_ui.lv2->isVisibleTo(m_window);
}

void WindowGeometry::applyGeometry()
{
    using MainLayout::Box;
    const auto place = [](QWidget *w, const Box &b) {
        w->setGeometry(Twips::toPixels(b.left, b.top, b.width, b.height));
        w->setVisible(b.visible);
    };
    place(m_ui.Frame1, m_geometry.frame1);
    place(m_ui.lv, m_geometry.lv);
    place(m_ui.lr, m_geometry.lr);
    place(m_ui.Fr, m_geometry.fr);
    place(m_ui.lv2, m_geometry.lv2);
}

void WindowGeometry::Form_Resize()
{
    if (m_inLayout)
        return;
    m_inLayout = true;
    readGeometry();
    const double width = m_geometry.formWidth;
    const double height = m_geometry.formHeight;
    MainLayout::formResize(m_geometry);
    applyGeometry();
    m_inLayout = false;
    if (!m_geometry.minimised && (m_geometry.formWidth != width || m_geometry.formHeight != height))
        setFormSize(m_geometry.formWidth, m_geometry.formHeight);
}

void WindowGeometry::resizey()
{
    readGeometry();
    MainLayout::resizey(m_geometry);
    applyGeometry();
}

void WindowGeometry::ChangePanel()
{
    if (!m_ui.mnuOtbor->isChecked()) {
        m_ui.mnuOtbor->setChecked(true);
        m_ui.lv2->setVisible(true);
        resizey();
    } else {
        m_ui.mnuOtbor->setChecked(false);
        m_ui.lv2->setVisible(false);
        Form_Resize();
    }
}

void WindowGeometry::ApplySettings()
{
    const modManageSettings::StoredSettings s = modManageSettings::read(m_settings);
    for (int k = 1; k <= modManageSettings::kColumns && k <= m_ui.lv->columnCount(); ++k) {
        const double width = s.columnWidths[size_t(k - 1)];
        if (width > 0)
            m_ui.lv->setColumnWidth(k - 1, Twips::toPixelsX(width));
    }
    switch (s.windowState) {
    case 1:
        m_window->setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        m_window->setWindowState(Qt::WindowMaximized);
        break;
    default:
        m_window->setWindowState(Qt::WindowNoState);
        break;
    }
    // No stored height gives 0.3 of the window's height; so does a negative one, which could only come
    // from a damaged file and would leave no room for the panel.
    m_geometry.sngPanelH = s.panelH;
    if (m_geometry.sngPanelH <= 0)
        m_geometry.sngPanelH = formHeight() * 0.3;
    if (s.showPanel)
        ChangePanel();
}

bool WindowGeometry::StoreSettings(QString *error)
{
    // A file that could not be read at start holds settings this run never saw: it is left as it is (the
    // user was told at start).
    if (!m_settings.wasRead())
        return false;
    modManageSettings::StoredSettings s;
    for (int k = 1; k <= modManageSettings::kColumns; ++k)
        s.columnWidths[size_t(k - 1)] =
            k <= m_ui.lv->columnCount() ? Twips::fromPixelsX(m_ui.lv->columnWidth(k - 1)) : 0;
    s.disableXP = m_options.iDisableXP;
    s.windowState = m_window->isMinimized() ? 1 : m_window->isMaximized() ? 2 : 0;
    s.showPanel = m_ui.mnuOtbor->isChecked();
    s.panelH = m_geometry.sngPanelH;
    s.selectedBase = m_options.iSelectedBase;
    modManageSettings::write(m_settings, s);
    return m_settings.save(error);
}
