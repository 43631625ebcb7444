#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace lp {

// Where a dialog goes over the main window: centred (with a 10-pixel nudge to the right) when it
// fits, otherwise 10 pixels in from the main window's corner. Halves truncate toward zero.
QPoint placeOverMainWindow(const QRect& mainFrame, const QSize& dialogSize,
                           const QSize& screenSize);

// Where a parameter dialog goes: centred on the mouse pointer, never clamped to the screen.
QPoint placeAtCursor(const QPoint& cursor, const QSize& dialogSize);

// Moves dialog by placeOverMainWindow, taking the application's main window (the top-level widget
// named "frmMain") and the primary screen. Does nothing when there is no main window.
void placeDialogOverMainWindow(QWidget& dialog);

// Moves dialog by placeAtCursor at the current pointer position.
void placeDialogAtCursor(QWidget& dialog);

// Shrinks a window that can grow and shrink to the screen's free area (its frame allowed for),
// so that a large font or scale cannot put its lower controls beyond the screen's edge.
QSize sizeWithinScreen(const QSize& wanted, const QSize& available);
void fitWindowOnScreen(QWidget& window);

// Where a window of that inner size goes when wanted at wanted: moved back just as far as it
// takes for the window and its frame to lie in the free area, never above or left of it.
QPoint pointWithinScreen(const QPoint& wanted, const QSize& size, const QRect& available);
// Moves window there on the primary screen: a window placed beside another (the activity and
// help windows by the main window's corner) must not run past the screen's far edges.
void moveWithinScreen(QWidget& window, const QPoint& wanted);

} // namespace lp
