#include "fixed_formats.h"

#include <QLocale>

namespace lp {

void applyFixedFormats() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

} // namespace lp
