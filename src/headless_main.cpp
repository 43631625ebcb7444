// The entry of the program built without its desktop layer: it sorts without a window, or
// simulates, with the same options and output as the desktop program's --headless.

#include "engine/option_values.h"
#include "engine/program_without_window.h"
#include "platform/instance_claim.h"
#include "platform/stored_choices.h"
#include "platform/trash.h"

#include <string>

namespace {

bool holdInstanceName() {
    switch (lp::platform::ClaimInstanceName("Larchpost")) {
    case lp::platform::InstanceClaim::Held:
        return true;
    case lp::platform::InstanceClaim::HeldByAnother:
        lp::SayOnStandardError("larchpost: another Larchpost is already running for this user.");
        return false;
    case lp::platform::InstanceClaim::Failed:
        break;
    }
    lp::SayOnStandardError("larchpost: CheckAppAlreadyRunning: can't create the instance guard.");
    return false;
}

// The options dialog's choices where the desktop program keeps them, with the system's trash.
// Where this build has none, a delete meant for the trash fails and the file stays rather than
// being removed for good.
lp::WithoutWindowChoices storedChoices() {
    const lp::MessageSink say = lp::SayOnStandardError;
    const lp::SortingPolicy policy = lp::ReadOptionValues(lp::platform::ReadStoredChoice,
                                                          lp::platform::StoredChoicesPlace(), say)
                                         .policy;
    if (!lp::platform::TrashAvailable()) {
        if (policy.deleteToTrash)
            say("larchpost: this build has no trash: a delete meant for the trash fails and the "
                "file stays.");
        return {policy, {}, {}};
    }
    return {policy, lp::platform::MoveToTrash, lp::platform::ForeseeTrashRefusal};
}

} // namespace

int main(int argc, char** argv) {
    lp::CommandLine options;
    if (const auto exitCode = lp::StartProgram(argc, argv, options))
        return *exitCode;
    if (!options.headless && !options.simulate) {
        lp::SayOnStandardError("larchpost: this build has no window; running without one, as "
                               "with --headless.");
        options.headless = true;
    }
    return lp::RunWithoutWindow(options, holdInstanceName, storedChoices());
}
