#pragma once

#include <functional>

class QDialog;
class QWidget;

// Shows the program's modal windows. Every modal window goes through here, so a test can drive a
// window while it is shown (fill it in, press its buttons) instead of a person.
namespace Modal {

// Shows `dialog` modally over `owner` and returns when it is hidden; returns the dialog's result.
// The dialog is not deleted: the program keeps its dialogs and only hides them between uses.
int show(QDialog *dialog, QWidget *owner = nullptr);

// Test hook: while installed, the driver is called once the dialog is shown (from the dialog's own event
// loop), and must close or hide it. Returns the previous driver; nullptr removes it.
using Driver = std::function<void(QDialog *)>;
Driver setDriver(Driver driver);

} // namespace Modal
