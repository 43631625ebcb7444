#pragma once
#include <QPoint>
#include <QSize>

namespace lp {

struct RegistrySettings;

// Where the main window opens from the stored Left, Top, Width and Height: at the stored corner
// (negative or zero edges become 0) while a quarter of the stored size still starts on screen,
// otherwise at 0, 0. Width and Height only serve that test; the window keeps its own size.
QPoint mainWindowOrigin(const RegistrySettings& stored, const QSize& screen);

} // namespace lp
