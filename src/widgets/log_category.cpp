#include "log_category.h"

namespace lp {

Q_LOGGING_CATEGORY(lcWidgets, "larchpost.widgets", QtInfoMsg)

} // namespace lp
