#pragma once
// The size a user gives a window that can grow, kept in the settings store (the group
// "Software/Larchpost/Windows", one "width,height" value a window) so that the window opens at it
// next time. A window opens at its designed size until the user has changed it.

#include <QSize>
#include <QString>

#include <optional>

class QWidget;

namespace lp {

// The stored inner size of the window called name, when one is stored and understood.
std::optional<QSize> storedWindowSize(const QString& name);

// Resizes window to its stored size (never below its minimum size, never beyond the screen),
// then keeps every size the user gives it: in memory at once, on disk when the window hides.
void rememberWindowSize(QWidget& window, const QString& name);

} // namespace lp
