#include "window_position.h"

#include "globals/app_globals.h"

namespace lp {

QPoint mainWindowOrigin(const RegistrySettings& stored, const QSize& screen) {
    // 64-bit sums: stored values come from a file the user can edit and may be near the limits.
    const std::int64_t quarterWidth = stored.Width / 4;
    const std::int64_t quarterHeight = stored.Height / 4;
    const bool onScreen = std::int64_t{stored.Left} + quarterWidth < screen.width() - 10 &&
                          std::int64_t{stored.Top} + quarterHeight < screen.height() - 10;
    if (!onScreen)
        return {0, 0};
    return {stored.Left < 1 ? 0 : stored.Left, stored.Top < 1 ? 0 : stored.Top};
}

} // namespace lp
