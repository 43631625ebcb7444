#pragma once
// The logging category of this layer, larchpost.widgets (see desktop/log_categories.h).

#include <QLoggingCategory>

namespace lp {

Q_DECLARE_LOGGING_CATEGORY(lcWidgets)

} // namespace lp
