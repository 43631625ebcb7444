#pragma once
// The logging categories of the desktop layer and of the core below it, and the start-up that
// routes the core's warnings into its category. Every layer with Qt has a category of its own,
// named larchpost.<layer>; debug lines are off unless --verbose or QT_LOGGING_RULES turn them on
// (QT_LOGGING_RULES="larchpost.*.debug=true", say).

#include <QLoggingCategory>
#include <QString>
#include <string>

namespace lp {

Q_DECLARE_LOGGING_CATEGORY(lcCore)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

// The core's line for a category: the category names the program already, so the "larchpost: "
// that the program without Qt puts before its lines is left out.
QString LogLineOf(const std::string& message);

// Sends the core's warnings to larchpost.core, and with verbose turns on the debug lines of
// every larchpost category; QT_LOGGING_RULES, read after, still has the last word.
void SetUpLogging(bool verbose);

} // namespace lp
