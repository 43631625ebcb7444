#pragma once
// What every parameter dialog shares: a fixed border with only the system menu, its client size
// (taller where a label's text needs more lines in the desktop's font), and its place centred on
// the mouse pointer.

class QDialog;
class QLineEdit;
class QPushButton;
class QString;
class QWidget;

namespace lp {

void frameParamDialog(QDialog& dialog, int clientWidth, int clientHeight);

// The field the dialog opens in: it has the focus, and a text already in it is selected, so that
// typing replaces it.
void startTypingIn(QLineEdit& field);

// Small builders for the dialogs' absolute layouts.
QPushButton* placeButton(QWidget& parent, const char* name, const QString& text, int x, int y);
QLineEdit* placeEdit(QWidget& parent, const char* name, int x, int y, int width);
// The same for a path: shortened in the middle while not edited, whole in its tooltip.
QLineEdit* placePathEdit(QWidget& parent, const char* name, int x, int y, int width);

// The largest whole number a number field takes (a 32-bit value).
inline constexpr int kLargestTypedNumber = 2147483647;

// Widens a number field, when its designed width is too narrow, so that its largest number shows
// whole in the font at hand.
void fitToLargestNumber(QLineEdit& field);

} // namespace lp
