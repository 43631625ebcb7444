// The instance name is held once per user: a second claim finds it taken.

#include "platform/instance_claim.h"

#include <gtest/gtest.h>

namespace lp::platform {
namespace {

TEST(InstanceClaim, ASecondClaimFindsTheNameHeld) {
    EXPECT_EQ(ClaimInstanceName("Larchpost-test-claim"), InstanceClaim::Held);
    EXPECT_EQ(ClaimInstanceName("Larchpost-test-claim"), InstanceClaim::HeldByAnother);
    EXPECT_EQ(ClaimInstanceName("Larchpost-test-other\\name"), InstanceClaim::Held);
}

} // namespace
} // namespace lp::platform
