#pragma once
// What went wrong, in words the user can read; nothing when the call did what it was asked.
// The form a failure takes when it crosses into a layer that tells the user (see
// CONTRIBUTING.md): a std::optional<std::string> by its behaviour, but a type of its own, so that
// a declaration says that the text is a failure and not a value read, and so that a caller cannot
// drop it unread.

#include <optional>
#include <string>
#include <utility>

namespace lp {

class [[nodiscard]] Problem : public std::optional<std::string> {
public:
    using std::optional<std::string>::optional;
    Problem(std::optional<std::string> text) // NOLINT(google-explicit-constructor): same meaning
        : std::optional<std::string>(std::move(text)) {}
};

} // namespace lp
