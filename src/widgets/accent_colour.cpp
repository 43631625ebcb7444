#include "widgets/accent_colour.h"

#include <algorithm>
#include <cmath>

namespace lp {

namespace {

// Relative luminance and contrast ratio as the web's accessibility guidelines define them; 4.5:1
// is their least for text of an ordinary size.
constexpr double kLeastContrast = 4.5;

double luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor& one, const QColor& other) {
    const double a = luminance(one), b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

} // namespace

QColor ReadableAccent(const QColor& designed, const QPalette& palette, QPalette::ColorGroup group,
                      QPalette::ColorRole background) {
    return contrast(designed, palette.color(group, background)) >= kLeastContrast
               ? designed
               : palette.color(group, QPalette::Link);
}

} // namespace lp
