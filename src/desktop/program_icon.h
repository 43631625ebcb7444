#pragma once
// The program's own icon, built into the executable: the window icon, the tray icon and the
// about box's picture.

#include <QIcon>

namespace lp {

// The icon in the sizes a tray, a title bar and a dialog ask for. It is drawn from the built-in
// SVG here rather than through an icon-engine plugin, which an installed system may lack.
QIcon programIcon();

} // namespace lp
