#include "link_move.h"

#include "posix_support.h"
#include "source_claim.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdio.h>
#include <unistd.h>

namespace lp::platform::posix {

namespace {

constexpr int kMostLinksFollowed = 40; // as many as the kernel follows
constexpr int kNameAttempts = 100;
constexpr const char* kLinkPrefix = ".larchpost-link-";

std::optional<std::string> linkText(const std::string& link) {
    std::string text(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
        if (length < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

// Where a link's target text leads, read from the folder the link stands in.
std::string targetPath(const std::string& link, const std::string& text) {
    return !text.empty() && text[0] == '/' ? text : folderOf(link) + '/' + text;
}

bool sameFolder(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return ::stat(folderOf(a).c_str(), &first) == 0 && ::stat(folderOf(b).c_str(), &second) == 0 &&
           sameFile(first, second);
}

// What a path finally leads to: the file, or why there is none (a dangling link has its
// reason too), so that two links can be compared.
struct Resolution {
    int error = 0;
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Resolution&) const = default;
};

Resolution resolve(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return {errno, 0, 0};
    return {0, status.st_dev, status.st_ino};
}

// The link's target as seen from anywhere.
std::optional<std::string> absoluteTarget(const std::string& link, const std::string& text) {
    if (!text.empty() && text[0] == '/')
        return text;
    const std::unique_ptr<char, decltype(&std::free)> folder(
        ::realpath(folderOf(link).c_str(), nullptr), &std::free);
    if (!folder)
        return std::nullopt;
    return std::string(folder.get()) + '/' + text;
}

// Makes a link to target beside destination under a name of ours; its path, or nothing.
std::optional<std::string> makeTemporaryLink(const std::string& target,
                                             const std::string& destination) {
    const std::string folder = folderOf(destination) + '/';
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = folder + kLinkPrefix + randomSuffix();
        if (::symlink(target.c_str(), candidate.c_str()) == 0)
            return candidate;
        if (errno != EEXIST)
            return std::nullopt;
    }
    errno = EEXIST;
    return std::nullopt;
}

} // namespace

bool LinkLeadsTo(const std::string& link, const struct stat& file) {
    std::string current = link;
    for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
        const auto text = linkText(current);
        if (!text)
            return false;
        current = targetPath(current, *text);
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0)
            return false;
        if (sameFile(status, file))
            return true;
        if (!S_ISLNK(status.st_mode))
            return false;
    }
    return false;
}

std::error_code MoveLink(const std::string& source, const struct stat& link,
                         const std::string& destination, bool replace) {
    const auto placeLink = [replace](const std::string& from, const std::string& to) {
        return replace ? ::rename(from.c_str(), to.c_str()) : renameNoReplace(from, to);
    };
    const auto text = linkText(source);
    if (!text)
        return lastError();
    const bool absolute = !text->empty() && (*text)[0] == '/';
    const bool keepsResolving = absolute || sameFolder(source, destination);
    if (keepsResolving) {
        if (placeLink(source, destination) == 0)
            return {};
        if (errno != EXDEV)
            return lastError();
    }
    const auto target = absoluteTarget(source, *text);
    if (!target)
        return lastError();
    const Resolution before = resolve(source);
    const auto made = makeTemporaryLink(*target, destination);
    if (!made)
        return lastError();
    if (resolve(*made) != before) {
        ::unlink(made->c_str());
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (placeLink(*made, destination) != 0) {
        const std::error_code error = lastError();
        ::unlink(made->c_str());
        return error;
    }
    SourceClaim claim;
    if (auto error = claim.claim(source, link))
        return error;
    return claim.remove();
}

} // namespace lp::platform::posix
