#pragma once

// The placement rules of the main window, in twips. The window stacks, top to bottom: the button strip
// Frame1, the track list lv, and, while the Tracklist panel is on, the splitter bar lr, the caption strip
// Fr and the Tracklist lv2; the status bar sits at the bottom edge.
//
// The rules work on the window's outer size, as the window system measures it: `formWidth` and
// `formHeight` include a frame 120 twips wide and a caption with menu bar, which the rules leave room
// for (the 700 twips they subtract from the height).
namespace MainLayout {

constexpr double kMinFormSize = 7000;
constexpr double kFrameWidth = 120;
constexpr double kNonClientHeight = 700;
constexpr double kSplitterHeight = 60;
constexpr double kMinPanelHeight = 1000;

struct Box {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool visible = true;

    // A negative size is refused and the box keeps its previous value; the rules go on regardless.
    void setWidth(double w);
    void setHeight(double h);
};

struct Geometry {
    bool minimised = false;
    double formWidth = 0;
    double formHeight = 0;
    double stbHeight = 0;
    Box frame1;
    Box lv;
    Box lr;
    Box fr;
    Box lv2;
    double sngPanelH = 0; // height reserved for the Tracklist panel
};

// Lays the window out after a resize. Does nothing while minimised; a window smaller than 7000 x 7000 is
// enlarged to that size (formWidth/formHeight change, and the caller resizes the window).
void formResize(Geometry &g);
// Lays the window out with the Tracklist panel shown.
void resizey(Geometry &g);
// One step of a splitter drag: the pointer started at `y0` and is now at `y` (same coordinates):
// moving up enlarges the panel. The panel height is kept between 1000 and half the window's width.
void dragSplitter(Geometry &g, double y0, double y);

} // namespace MainLayout
