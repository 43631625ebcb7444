#pragma once
// What makes a window usable from the keyboard alone: an Alt letter on every push button, and
// focus that stays in the window when the button holding it is disabled.

class QWidget;

namespace lp {

// Gives each push button of window whose caption has no mnemonic yet one of its own letters,
// preferring the first letters of its words, never a letter another control of the window
// already uses. A caption without a free letter stays as it is. Call once the captions are set.
void giveButtonMnemonics(QWidget& window);

// While a push button of window holds the focus and is disabled, the focus goes to the button
// before it in the Tab order, or failing that to the next control that takes it, instead of
// leaving the window without a focused control.
void keepFocusWhenDisabled(QWidget& window);

} // namespace lp
