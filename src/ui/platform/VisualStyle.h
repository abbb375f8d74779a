#pragma once

class QWidget;

// The visual-style switch of the dialogs. Started, a dialog keeps the platform's own look; not started
// (the user turned the pretty interface off), the dialog and all its controls, present and future, use
// the classic "Windows" look. The choice is made once per dialog, when it is first built.
namespace VisualStyle {

// Applies the choice to `dialog`: the platform's look when `disabled` is false, else the classic look.
void apply(QWidget *dialog, bool disabled);
// True when `widget` draws in the classic look.
bool isClassic(const QWidget *widget);

} // namespace VisualStyle
