#pragma once
// The user's choices for how the operations treat what they meet: a file of the same name at a
// copy's or move's destination, and whether a delete removes the file or moves it to the trash.

namespace lp {

enum class NameClash {
    Replace,  // the arriving file replaces the one there
    KeepBoth, // the arriving file takes the first free name "name (2).ext", "name (3).ext", ...
    Leave,    // the arriving file stays where it is and the operation fails
};

struct SortingPolicy {
    NameClash nameClash = NameClash::Replace;
    bool deleteToTrash = false;
    bool operator==(const SortingPolicy&) const = default;
};

} // namespace lp
