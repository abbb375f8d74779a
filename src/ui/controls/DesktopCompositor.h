#pragma once

// Whether the desktop draws windows with transparent parts as such. On X11 that takes a compositing
// manager; without one (a bare X server, many light desktops) the transparent pixels of a window show
// black, so a window with a shape of its own (a balloon with rounded corners and a stem) needs a shape
// mask there instead. Other platforms always compose.
class DesktopCompositor
{
public:
    static bool translucentWindows();
};
