#include "first_listing.h"

namespace lp {

void RecordFirstListing(ServiceTable& table, const std::function<void(ServiceTable&)>& runCycle) {
    ServiceTable listing;
    listing.services = table.services;
    for (rServiceRules& service : listing.services)
        service.rulelist = {};
    runCycle(listing);
    for (std::size_t s = 0; s < table.services.size() && s < listing.services.size(); ++s) {
        rServiceRules& service = table.services[s];
        rServiceRules& listed = listing.services[s];
        service.knownready = listed.knownready;
        service.knowncnt = listed.knowncnt;
        service.knownfiles = std::move(listed.knownfiles);
        // A sub-folder the listing found unreadable has been said; the first cycle says it not
        // again.
        service.unlistedSubfolders = std::move(listed.unlistedSubfolders);
        service.unlistedSinceStart = std::move(listed.unlistedSinceStart);
        service.walkedSubfolders = std::move(listed.walkedSubfolders);
    }
}

} // namespace lp
