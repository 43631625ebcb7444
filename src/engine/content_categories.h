#pragma once
// The words a type condition stores besides MIME patterns: "Images", "Audio", "Video",
// "Documents", "Archives", "Text", each standing for the MIME patterns of its kind of content.

#include <span>
#include <string_view>

namespace lp {

struct ContentCategory {
    std::string_view word;                   // as stored and shown
    std::span<const std::string_view> mimes; // wildcard patterns over the MIME type
};

// In the order the type dialog offers them.
std::span<const ContentCategory> ContentCategories();

// Whether the MIME type ("image/png") matches one piece of a ";" list of category words (any
// letter case) and MIME patterns ("image/*"). A word that is no category matches nothing.
bool ContentTypeMatches(std::string_view mime, std::string_view types);

// The first piece of a type list that is neither a category word nor a MIME pattern (a pattern
// holds one "/" with something on both sides); empty when every piece is one. Empty pieces count
// as stray separators.
std::string_view UnknownTypePiece(std::string_view types);

} // namespace lp
