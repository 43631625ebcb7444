#include "log_categories.h"

#include "globals/log_sink.h"

#include <string_view>

namespace lp {

Q_LOGGING_CATEGORY(lcCore, "larchpost.core", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDesktop, "larchpost.desktop", QtInfoMsg)

QString LogLineOf(const std::string& message) {
    constexpr std::string_view kProgram = "larchpost: ";
    std::string_view line = message;
    if (line.starts_with(kProgram))
        line.remove_prefix(kProgram.size());
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

void SetUpLogging(bool verbose) {
    SetLogSink(
        [](const std::string& message) { qCWarning(lcCore).noquote() << LogLineOf(message); });
    if (verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("larchpost.*.debug=true"));
}

} // namespace lp
