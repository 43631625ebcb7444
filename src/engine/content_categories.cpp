#include "content_categories.h"
#include "file_selection.h"
#include "globals/pattern_match.h"

#include <algorithm>
#include <array>

namespace lp {

namespace {

constexpr std::array<std::string_view, 1> kImages{"image/*"};
constexpr std::array<std::string_view, 1> kAudio{"audio/*"};
constexpr std::array<std::string_view, 1> kVideo{"video/*"};
constexpr std::array<std::string_view, 10> kDocuments{
    "application/pdf",
    "application/postscript",
    "application/rtf",
    "text/rtf",
    "application/msword",
    "application/vnd.ms-excel",
    "application/vnd.ms-powerpoint",
    "application/vnd.openxmlformats-officedocument.*",
    "application/vnd.oasis.opendocument.*",
    "application/epub+zip",
};
constexpr std::array<std::string_view, 13> kArchives{
    "application/zip",
    "application/x-tar",
    "application/gzip",
    "application/x-gzip",
    "application/x-bzip2",
    "application/x-xz",
    "application/x-lzma",
    "application/zstd",
    "application/x-zstd",
    "application/x-7z-compressed",
    "application/vnd.rar",
    "application/x-rar",
    "application/x-iso9660-image",
};
constexpr std::array<std::string_view, 1> kText{"text/*"};

constexpr std::array kCategories{
    ContentCategory{"Images", kImages},     ContentCategory{"Audio", kAudio},
    ContentCategory{"Video", kVideo},       ContentCategory{"Documents", kDocuments},
    ContentCategory{"Archives", kArchives}, ContentCategory{"Text", kText},
};

const ContentCategory* categoryNamed(std::string_view word) {
    // A category word holds no wildcard: matching it compares ASCII letters without case.
    const auto found = std::ranges::find_if(kCategories, [&](const ContentCategory& category) {
        return MatchPattern(word, category.word);
    });
    return found == kCategories.end() ? nullptr : &*found;
}

bool isMimePattern(std::string_view piece) {
    const auto slash = piece.find('/');
    return slash != std::string_view::npos && slash > 0 && slash + 1 < piece.size() &&
           piece.find('/', slash + 1) == std::string_view::npos;
}

} // namespace

std::span<const ContentCategory> ContentCategories() {
    return kCategories;
}

bool ContentTypeMatches(std::string_view mime, std::string_view types) {
    return std::ranges::any_of(SplitPieces(types), [&](std::string_view piece) {
        if (isMimePattern(piece))
            return MatchPattern(mime, piece);
        const ContentCategory* category = categoryNamed(piece);
        return category != nullptr &&
               std::ranges::any_of(category->mimes, [&](std::string_view pattern) {
                   return MatchPattern(mime, pattern);
               });
    });
}

std::string_view UnknownTypePiece(std::string_view types) {
    for (const std::string_view piece : SplitPieces(types))
        if (!piece.empty() && !isMimePattern(piece) && categoryNamed(piece) == nullptr)
            return piece;
    return {};
}

} // namespace lp
