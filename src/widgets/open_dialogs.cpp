#include "open_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace lp {

void raiseOpenDialog() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || !dialog->isVisible() || !dialog->isEnabled())
        return;
    // A box of its own, shown before any window, can be minimised alone; one over a window
    // comes back with it.
    if (dialog->isMinimized())
        dialog->showNormal();
    dialog->raise();
    dialog->activateWindow();
}

void closeOpenDialogs() {
    // Each one's end lets the dialog below it end in turn. A modal window that is no dialog, or
    // that will not close, stops the walk rather than loop on it.
    while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        dialog->reject();
        if (QApplication::activeModalWidget() == dialog)
            break;
    }
}

} // namespace lp
