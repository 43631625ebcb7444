#pragma once

namespace lp {

// Whether a window could be shown at all: a display server is named (DISPLAY, WAYLAND_DISPLAY) or
// a Qt platform is chosen explicitly (QT_QPA_PLATFORM, e.g. offscreen).
bool displayAvailable();

} // namespace lp
