#pragma once
// The choices of the options dialog that both the desktop program and the program without a
// window follow, read as text values by name from wherever the system keeps them:
//
//   NameClash      replace | keep-both | leave: what a copy or move does to a file already there
//   DeleteToTrash  false | true: whether a delete moves the file to the trash
//   Paused         false | true: whether the desktop program's cycles are off
//
// Letter case does not matter. A value missing counts as the default, and so does one that is
// not understood, which is said once.

#include "globals/message_sink.h"
#include "sorting_policy.h"

#include <functional>
#include <optional>
#include <string>

namespace lp {

struct StoredOptions {
    SortingPolicy policy;
    bool paused = false;
    // The desktop program's notifications: an operation's first failure, every file sorted.
    bool notifyFailures = true;
    bool notifyEverySorted = false;
    bool operator==(const StoredOptions&) const = default;
};

inline constexpr const char* kNameClashOption = "NameClash";
inline constexpr const char* kDeleteToTrashOption = "DeleteToTrash";
inline constexpr const char* kPausedOption = "Paused";
inline constexpr const char* kNotifyFailuresOption = "NotifyFailures";
inline constexpr const char* kNotifySortedOption = "NotifySorted";

// The text of the named value, nothing when it is absent.
using OptionLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The choices found through lookup; place names where they are kept in what say is told.
StoredOptions ReadOptionValues(const OptionLookup& lookup, const std::string& place,
                               const MessageSink& say);

// The texts the values are written as.
std::string OptionText(NameClash clash);
std::string OptionText(bool flag);

} // namespace lp
