// The colour that sets a word apart (a rule's parameter links, a dialog's hints): the one the
// window was designed with, unless it would not read on the theme's background, then the theme's
// own link colour, which the theme makes readable there.
#pragma once

#include <QColor>
#include <QPalette>

namespace lp {

QColor ReadableAccent(const QColor& designed, const QPalette& palette, QPalette::ColorGroup group,
                      QPalette::ColorRole background);

} // namespace lp
