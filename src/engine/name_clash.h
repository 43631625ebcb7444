#pragma once
// How a copy or move meets a file of the same name at its destination, whatever carries the
// operation out: the disk, or the simulation that foresees it.

#include "sorting_policy.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lp {

// Far more than any folder holds of one name; a bound all the same, should every attempt meet a
// taken name (a file system that reports every name as taken).
constexpr int kMostNumbers = 10'000;

// The path with " (number)" put before the extension of its last part: "/out/song (2).mp3".
// A name without extension, or one whose only dot begins it (".profile"), gets it at the end.
// A name that would pass 255 bytes so is cut before the mark, at the start of a character.
std::string NumberedPath(const std::string& path, int number);

// The name a file had before "keep both" numbered it ("x.pdf" for "x (2).pdf"), if its name
// has such a number; names cut to fit are not given back whole.
std::optional<std::string> NameBeforeNumber(std::string_view name);

// What one attempt at giving a file its new name came to.
enum class Placing { Done, NameTaken, Failed };

// Tries one name; replace says whether a file there may be replaced. NameTaken only when replace
// is false and something stood at the name, decided by the attempt itself.
using PlaceAttempt = std::function<Placing(const std::string& path, bool replace)>;

// Places a file at destination as clash says and gives back the path it got, nothing when the
// operation failed: Replace tries destination replacing; Leave tries it without replacing, a
// taken name failing the operation; KeepBoth tries destination and then the numbered paths,
// from (2) on, until one is free.
std::optional<std::string> PlaceAsPolicySays(const std::string& destination, NameClash clash,
                                             const PlaceAttempt& attempt);

} // namespace lp
