#pragma once
// The registry-style settings of the run (lp::app().registry) and the generic value operations
// the auto-start choice needs, all kept in the per-user settings store.

#include "platform/problem.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace lp {

class SettingsStore;

// The process-wide store: the user's own settings file unless a test (or a caller) points it
// elsewhere with useSettingsFile before the first use.
SettingsStore& settingsStore();
void useSettingsFile(const std::string& filePath);
// A store of its own over the same file, for a thread other than the window's: one store must
// not be used from two threads at once.
std::unique_ptr<SettingsStore> openSettingsStoreForThisThread();

inline constexpr const char* kProgramKey = "SOFTWARE/Larchpost";
inline constexpr const char* kMainKey = "Software/Larchpost/Main";

// Whether the program key exists: false on the first run.
bool programKeyExists();

// Reads AutoStart, Status, Height, Width, Left and Top into app().registry. A value missing from
// the store, or not a number, keeps the value it had (the default after start-up's defaults).
void ReadSettings();
// Writes AutoStart, then Status, Height, Width, Left and Top. False when the file cannot be
// written; the values in memory stay as they are.
bool WriteSettings();

// The only root the settings know; kept in the signatures so that callers read like the original.
enum class RegistryRoot { LocalMachine };

// Value kinds for WriteRegValue.
enum class RegValueKind : int {
    KeepExisting = 0,
    String = 1,
    ExpandString = 2,
    Integer = 3,
    Binary = 4
};

// The value's text: nothing when the key does not exist; empty when the key exists without it.
std::optional<std::string> ReadRegString(RegistryRoot root, const std::string& keyPath,
                                         const std::string& name);

// Writes a value, creating the key. KeepExisting uses the kind of the value already stored
// (a string when there is none). Returns an error text when the kind is unknown or the file cannot
// be written, nothing on success.
Problem WriteRegValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                      const std::string& value, int kind);

// Removes a value (absent is fine). Returns an error text when the file cannot be written.
Problem DeleteRegValue(RegistryRoot root, const std::string& keyPath, const std::string& name);

} // namespace lp
