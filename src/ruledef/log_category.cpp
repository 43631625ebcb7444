#include "log_category.h"

namespace lp {

Q_LOGGING_CATEGORY(lcRuledef, "larchpost.ruledef", QtInfoMsg)

} // namespace lp
