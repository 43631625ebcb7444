#pragma once
// The choices of the options dialog that both the desktop program and the program without a
// window follow, kept in the settings file's [Options] group:
//   NameClash     = replace | keep-both | leave   (what a copy or move does to a file already
//   there) DeleteToTrash = false | true                  (whether a delete moves the file to the
//   trash) Paused        = false | true                  (whether the desktop program's cycles are
//   off)

#include "engine/sorting_policy.h"
#include "globals/message_sink.h"
#include "settings_store.h"

namespace lp {

struct StoredOptions {
    SortingPolicy policy;
    bool paused = false;
    bool operator==(const StoredOptions&) const = default;
};

// The stored choices; a value missing counts as the default, and so does one that is not
// understood, which is said once through say.
StoredOptions ReadStoredOptions(const SettingsStore& store, const MessageSink& say);

// Writes all three values; false when the file cannot be written.
bool WriteStoredOptions(SettingsStore& store, const StoredOptions& options);

} // namespace lp
