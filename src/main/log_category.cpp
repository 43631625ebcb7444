#include "log_category.h"

namespace lp {

Q_LOGGING_CATEGORY(lcMain, "larchpost.main", QtInfoMsg)

} // namespace lp
