#include "quiet_turn.h"

namespace lp {

bool QuietTurn::repeats(const rServiceRules& service, CycleEnvironment& environment) const {
    return valid_ && service.knownready && service.knownfiles.data() == knownData_ &&
           service.knownfiles.size() == knownSize_ && service.knowncnt == knowncnt_ &&
           service.sharedir == sharedir_ && service.excludefiles == excludefiles_ &&
           service.rulelist == rules_ && (!today_ || environment.today() == *today_);
}

void QuietTurn::remember(const rServiceRules& service, std::optional<double> today) {
    valid_ = true;
    sharedir_ = service.sharedir;
    excludefiles_ = service.excludefiles;
    rules_ = service.rulelist;
    knownData_ = service.knownfiles.data();
    knownSize_ = service.knownfiles.size();
    knowncnt_ = service.knowncnt;
    today_ = today;
}

} // namespace lp
