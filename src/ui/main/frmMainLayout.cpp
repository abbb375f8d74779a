// Placing the main window's parts, the Tracklist panel and its splitter, the window switches, and the
// window settings kept between runs.
#include "frmMain.h"

#include "core/settings/modManageSettings.h"
#include "ui/controls/SplitterBar.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/Twips.h"

#include <QAction>
#include <QFrame>
#include <QMenuBar>
#include <QResizeEvent>
#include <QStatusBar>

// The layout rules work on the outer size of the window, frame and caption included. Here the window
// system draws the frame, so the outer size is our client area below the menu bar plus the allowance the
// rules keep for frame, caption and menu bar. Until the window is first shown its bars are not laid out
// yet, so their preferred heights stand in for their heights.
int frmMain::menuBarHeight() const
{
    return isVisible() ? menuBar()->height() : menuBar()->sizeHint().height();
}

int frmMain::statusBarHeight() const
{
    return isVisible() ? Stb->height() : Stb->sizeHint().height();
}

double frmMain::formWidth() const
{
    return Twips::fromPixelsX(width()) + MainLayout::kFrameWidth;
}

double frmMain::formHeight() const
{
    return Twips::fromPixelsY(height() - menuBarHeight()) + MainLayout::kNonClientHeight;
}

void frmMain::setFormSize(double widthTwips, double heightTwips)
{
    const int clientHeight = Twips::toPixelsY(heightTwips - MainLayout::kNonClientHeight);
    resize(Twips::toPixelsX(widthTwips - MainLayout::kFrameWidth),
           std::max(clientHeight, statusBarHeight()) + menuBarHeight());
}

void frmMain::readGeometry()
{
    m_geometry.minimised = isMinimized();
    m_geometry.formWidth = formWidth();
    m_geometry.formHeight = formHeight();
    m_geometry.stbHeight = Twips::fromPixelsY(statusBarHeight());
    m_geometry.lv2.visible = lv2->isVisibleTo(this);
}

void frmMain::applyGeometry()
{
    using MainLayout::Box;
    const auto place = [](QWidget *w, const Box &b) {
        w->setGeometry(Twips::toPixels(b.left, b.top, b.width, b.height));
        w->setVisible(b.visible);
    };
    place(Frame1, m_geometry.frame1);
    place(lv, m_geometry.lv);
    place(lr, m_geometry.lr);
    place(Fr, m_geometry.fr);
    place(lv2, m_geometry.lv2);
}

void frmMain::Form_Resize()
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

void frmMain::resizey()
{
    readGeometry();
    MainLayout::resizey(m_geometry);
    applyGeometry();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMain::onSplitterDown(double yTwips)
{
    m_dragging = true;
    m_dragY0 = yTwips;
}

void frmMain::onSplitterMove(double yTwips)
{
    if (!m_dragging)
        return;
    readGeometry();
    MainLayout::dragSplitter(m_geometry, m_dragY0, yTwips);
    applyGeometry();
}

void frmMain::onSplitterUp()
{
    m_dragging = false;
}

void frmMain::ChangePanel()
{
    if (!mnuOtbor->isChecked()) {
        mnuOtbor->setChecked(true);
        lv2->setVisible(true);
        resizey();
    } else {
        mnuOtbor->setChecked(false);
        lv2->setVisible(false);
        Form_Resize();
    }
}

void frmMain::OnTopChange()
{
    const bool wasVisible = isVisible();
    if (mnuOnTop->isChecked()) {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        mnuOnTop->setChecked(false);
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        mnuOnTop->setChecked(true);
    }
    // Changing the flag hides the window; show it again where it was, without taking the focus.
    if (wasVisible) {
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
}

void frmMain::DXP()
{
    if (mnuDisableXP->isChecked()) {
        mnuDisableXP->setChecked(false);
        g.iDisableXP = 0;
    } else {
        g.iDisableXP = 1;
        mnuDisableXP->setChecked(true);
    }
}

void frmMain::ApplySettings()
{
    const modManageSettings::StoredSettings s = modManageSettings::read(m_settings);
    for (int k = 1; k <= modManageSettings::kColumns && k <= lv->columnCount(); ++k) {
        const double width = s.columnWidths[size_t(k - 1)];
        if (width > 0)
            lv->setColumnWidth(k - 1, Twips::toPixelsX(width));
    }
    switch (s.windowState) {
    case 1:
        setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        setWindowState(Qt::WindowMaximized);
        break;
    default:
        setWindowState(Qt::WindowNoState);
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

bool frmMain::StoreSettings()
{
    // A file that could not be read at start holds settings this run never saw: it is left as it is (the
    // user was told at start).
    if (!m_settings.wasRead())
        return false;
    modManageSettings::StoredSettings s;
    for (int k = 1; k <= modManageSettings::kColumns; ++k)
        s.columnWidths[size_t(k - 1)] = k <= lv->columnCount() ? Twips::fromPixelsX(lv->columnWidth(k - 1)) : 0;
    s.disableXP = g.iDisableXP;
    s.windowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    s.showPanel = mnuOtbor->isChecked();
    s.panelH = m_geometry.sngPanelH;
    s.selectedBase = g.iSelectedBase;
    modManageSettings::write(m_settings, s);
    QString error;
    if (!m_settings.save(&error)) {
        reportWriteFailure(m_settings.path(), error);
        return false;
    }
    return true;
}
