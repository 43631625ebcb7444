#pragma once
// The logging category of this layer, larchpost.main (see desktop/log_categories.h).

#include <QLoggingCategory>

namespace lp {

Q_DECLARE_LOGGING_CATEGORY(lcMain)

} // namespace lp
