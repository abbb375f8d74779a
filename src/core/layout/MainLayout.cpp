#include "MainLayout.h"

namespace MainLayout {

void Box::setWidth(double w)
{
    if (w >= 0)
        width = w;
}

void Box::setHeight(double h)
{
    if (h >= 0)
        height = h;
}

void formResize(Geometry &g)
{
    if (g.minimised)
        return;
    if (g.formWidth < kMinFormSize)
        g.formWidth = kMinFormSize;
    if (g.formHeight < kMinFormSize)
        g.formHeight = kMinFormSize;

    g.lv.setWidth(g.formWidth - kFrameWidth);
    g.lv2.setWidth(g.lv.width);
    g.fr.setWidth(g.lv.width);
    g.lr.setWidth(g.lv.width);
    g.frame1.setWidth(g.lv.width);

    if (g.lv2.visible) {
        resizey(g);
        return;
    }
    g.lv.top = g.frame1.top + g.frame1.height;
    g.lv.setHeight(g.formHeight - g.stbHeight - g.lv.top - kNonClientHeight);
    g.lv2.top = g.lv.top + g.lv.height + 10;
    g.fr.visible = false;
    g.lr.visible = false;
}

void resizey(Geometry &g)
{
    g.lv.setHeight(g.formHeight - g.stbHeight - g.lv.top - kNonClientHeight - g.sngPanelH);
    g.lr.top = g.lv.top + g.lv.height;
    g.lr.setHeight(kSplitterHeight);
    g.fr.top = g.lv.top + g.lv.height + 50;
    g.lv2.top = g.lv.top + g.lv.height + 50 + g.fr.height;
    g.lv2.setHeight(g.formHeight - g.stbHeight - g.lv2.top - 680);
    g.lv2.visible = true;
    g.fr.visible = true;
    g.lr.visible = true;
}

void dragSplitter(Geometry &g, double y0, double y)
{
    g.sngPanelH = g.sngPanelH + y0 - y;
    if (g.sngPanelH > g.formWidth * 0.5)
        g.sngPanelH = g.formWidth * 0.5;
    if (g.sngPanelH < kMinPanelHeight)
        g.sngPanelH = kMinPanelHeight;
    resizey(g);
}

} // namespace MainLayout
