#include "exchange_values.h"

namespace lp {

ParamExchange& exchange() {
    static ParamExchange values;
    return values;
}

} // namespace lp
