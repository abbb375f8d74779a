#pragma once

#include "core/layout/MainLayout.h"

#include <QObject>

class ListView;
class QAction;
class QFrame;
class QMainWindow;
class QStatusBar;
class SettingsFile;
class SplitterBar;
struct ProgramOptions;

// Where the main window's parts go: the button strip, the track list, the Tracklist panel under its
// splitter, as the window is resized, the panel shown or hidden, or the splitter dragged; and the window
// settings kept between runs (column widths, window state, the panel and its height).
class WindowGeometry : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QFrame *Frame1 = nullptr;
        ListView *lv = nullptr;
        SplitterBar *lr = nullptr;
        QFrame *Fr = nullptr;
        ListView *lv2 = nullptr;
        QStatusBar *Stb = nullptr;
        QAction *mnuOtbor = nullptr; // checked while the panel shows
    };
    WindowGeometry(QMainWindow *window, const Controls &controls, SettingsFile &settings, ProgramOptions &options);

    void Form_Resize();
    void resizey();
    // Shows the Tracklist panel, or hides it.
    void ChangePanel();

    double sngPanelH() const { return m_geometry.sngPanelH; }
    void setSngPanelH(double twips) { m_geometry.sngPanelH = twips; }
    // The window's outer size in twips, as the layout rules see it.
    double formWidth() const;
    double formHeight() const;
    void setFormSize(double widthTwips, double heightTwips);
    const MainLayout::Geometry &layoutGeometry() const { return m_geometry; }

    void ApplySettings();
    // Writes every setting; false when the settings file was not written, with the reason in `error`
    // (left empty when the file could not be read at start and is left as it is).
    bool StoreSettings(QString *error);

private:
    int menuBarHeight() const;
    int statusBarHeight() const;
    void readGeometry();
    void applyGeometry();

    QMainWindow *m_window;
    Controls m_ui;
    SettingsFile &m_settings;
    ProgramOptions &m_options;
    MainLayout::Geometry m_geometry;
    bool m_inLayout = false;
    bool m_dragging = false;
    double m_dragY0 = 0;
};
