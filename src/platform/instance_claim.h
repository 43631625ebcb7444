#pragma once
// One sorting instance per user for the program built without its desktop layer, which has no
// lock file and socket of its own.

#include <string>

namespace lp::platform {

enum class InstanceClaim {
    Held,          // this process holds the name until it ends
    HeldByAnother, // another process of this user holds it
    Failed,        // the name could not be examined
};

// Claims name for this user and session; the claim ends with the process.
InstanceClaim ClaimInstanceName(const std::string& name);

} // namespace lp::platform
