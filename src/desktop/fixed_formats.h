#pragma once
// The date and time formats of the whole run. They are fixed at start-up and do not follow the
// system's regional settings, then or later.

#include <QString>

namespace lp {

inline const QString kShortDateFormat = QStringLiteral("M/d/yyyy");
inline const QString kLongTimeFormat = QStringLiteral("hh:mm:ssAP"); // 12-hour, AM/PM marker

// Makes the formats' locale (English, United States) the default for the rest of the run, so that
// dates, times and the AM/PM marker read the same on every system.
void applyFixedFormats();

} // namespace lp
