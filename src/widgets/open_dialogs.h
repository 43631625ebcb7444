#pragma once
// The modal dialogs and boxes that are open at a moment, innermost first: brought forward when a
// later start asks for the program, ended when the program ends under them.

namespace lp {

// Restores the innermost open modal dialog or box if it is minimised, raises and activates it.
// Nothing happens without one, or when it is hidden or disabled.
void raiseOpenDialog();

// Ends every open modal dialog as its Cancel would, the innermost first.
void closeOpenDialogs();

} // namespace lp
