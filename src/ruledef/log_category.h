#pragma once
// The logging category of this layer, larchpost.ruledef (see desktop/log_categories.h).

#include <QLoggingCategory>

namespace lp {

Q_DECLARE_LOGGING_CATEGORY(lcRuledef)

} // namespace lp
