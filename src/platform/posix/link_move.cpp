#include "link_move.h"

#include "platform/move_journal.h"
#include "posix_support.h"
#include "source_claim.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <unistd.h>
#include <vector>

namespace lp::platform::posix {

namespace {

namespace fs = std::filesystem;

constexpr int kMostLinksFollowed = 40; // as many as the kernel follows

// Where a link's target text leads when the link stands in folder: an absolute text replaces the
// folder.
std::string pathFrom(const std::string& folder, const std::string& text) {
    return (fs::path(folder) / text).string();
}

// What a path finally leads to: the file, or why there is none, so that two links can be
// compared.
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

// A path with every link on its way resolved; nothing when it leads nowhere.
std::optional<std::string> realPath(const std::string& path) {
    std::error_code error;
    fs::path real = fs::canonical(path, error);
    if (error)
        return std::nullopt;
    return std::move(real).string();
}

// The link's target with every folder on its way resolved but the last name kept as it is, so
// that a link leading to a further link still leads through it. A text that climbs out of a
// linked folder with ".." is only read rightly this way.
std::optional<fs::path> resolvedFolders(const fs::path& target) {
    const fs::path leaf = target.filename();
    if (leaf.empty() || leaf == "." || leaf == "..") {
        const auto whole = realPath(target.string());
        return whole ? std::optional<fs::path>(*whole) : std::nullopt;
    }
    const auto folder = realPath(target.parent_path().string());
    return folder ? std::optional<fs::path>(fs::path(*folder) / leaf) : std::nullopt;
}

// Target texts that may lead from the destination's folder to what the link leads to, best
// first: the text as it is; then, between the two real folders, a relative text and an absolute
// one, first spelt through the folders the text names, then through the resolved ones.
std::vector<std::string> candidateTexts(const std::string& source, const std::string& text,
                                        const std::string& destination) {
    std::vector<std::string> texts{text};
    if (fs::path(text).is_absolute())
        return texts;
    const auto oldFolder = realPath(folderOf(source));
    const auto newFolder = realPath(folderOf(destination));
    if (!oldFolder || !newFolder)
        return texts;
    const fs::path target = fs::path(*oldFolder) / text;
    std::vector<fs::path> spellings{target.lexically_normal()};
    if (const auto resolved = resolvedFolders(target))
        spellings.push_back(*resolved);
    for (const fs::path& spelling : spellings) {
        for (const fs::path& candidate : {spelling.lexically_relative(*newFolder), spelling}) {
            const std::string candidateText = candidate.string();
            if (!candidateText.empty() &&
                std::find(texts.begin(), texts.end(), candidateText) == texts.end())
                texts.push_back(candidateText);
        }
    }
    return texts;
}

bool isLink(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

std::error_code removeAfter(const std::string& made, std::error_code error) {
    ::unlink(made.c_str());
    return error;
}

// Gives the link made beside destination its name and checks that it leads to the same file as
// before from there (a dangling link has nothing to check). Its way may pass through a link that
// stood at destination, and then leads back to itself once in place: where the file system can swap
// two names, that link is swapped out first and given back when the check fails, so nothing has
// changed. Elsewhere the replaced link is gone, and the move fails with its source kept. Without
// replace, anything standing at destination fails the placing and nothing is swapped.
std::error_code placeLink(const std::string& made, const std::string& destination,
                          const Resolution& before, bool replace) {
    bool swapped = false;
    if (!replace) {
        if (const std::error_code error = renameNoReplace(made, destination))
            return removeAfter(made, error);
    } else if (isLink(destination)) {
        swapped = ::renameat2(AT_FDCWD, made.c_str(), AT_FDCWD, destination.c_str(),
                              RENAME_EXCHANGE) == 0;
        if (!swapped && errno != ENOENT && errno != EINVAL && errno != ENOSYS)
            return removeAfter(made, lastError());
    }
    if (replace && !swapped && ::rename(made.c_str(), destination.c_str()) != 0)
        return removeAfter(made, lastError());
    if (before.error != 0 || resolve(destination) == before)
        return swapped ? removeAfter(made, {}) : std::error_code(); // made names the replaced link
    const auto wrongWay = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    if (!swapped)
        return removeAfter(destination, wrongWay);
    // Should the swap back fail, made still names the replaced link, which is then kept.
    if (::renameat2(AT_FDCWD, made.c_str(), AT_FDCWD, destination.c_str(), RENAME_EXCHANGE) != 0)
        return wrongWay;
    return removeAfter(made, wrongWay);
}

} // namespace

bool LinkLeadsTo(const std::string& link, const struct stat& file) {
    std::string current = link;
    for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
        std::error_code error;
        const fs::path text = fs::read_symlink(current, error);
        if (error)
            return false;
        current = pathFrom(folderOf(current), text.string());
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
    const auto rename = [replace](const std::string& from, const std::string& to) {
        if (replace)
            return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : lastError();
        return renameNoReplace(from, to);
    };
    std::error_code readError;
    const std::string text = fs::read_symlink(source, readError).string();
    if (readError)
        return readError;
    // A dangling link has no file to keep leading to: its text moves as it is.
    const Resolution before = resolve(source);
    const bool dangling = before.error != 0;
    std::string newText = text;
    if (!dangling) {
        const auto texts = candidateTexts(source, text, destination);
        const auto leading = std::find_if(texts.begin(), texts.end(), [&](const std::string& t) {
            return resolve(pathFrom(folderOf(destination), t)) == before;
        });
        if (leading == texts.end())
            return std::make_error_code(std::errc::no_such_file_or_directory);
        newText = *leading;
    }
    // The link itself can be renamed when its text stays; a link at the destination that its
    // way might pass through takes the careful road below.
    if (newText == text && (dangling || !isLink(destination))) {
        const std::error_code notRenamed = rename(source, destination);
        if (!notRenamed)
            return {};
        if (notRenamed != std::errc::cross_device_link)
            return notRenamed;
    }
    // The new link is made beside destination under a name of ours, and the old one taken from
    // its name before it goes: the journal tells the next start about both.
    JournalEntry journal(JournalKind::LinkMove, source, destination,
                         static_cast<std::uint64_t>(link.st_size), modifiedNs(link));
    const std::string made = LinkPath(journal.record());
    if (::symlink(newText.c_str(), made.c_str()) != 0)
        return lastError();
    if (auto error = placeLink(made, destination, before, replace))
        return error;
    SourceClaim claim;
    auto error = claim.claim(source, link, ClaimPath(journal.record()));
    if (!error)
        error = claim.remove();
    if (error == std::errc::resource_unavailable_try_again)
        if (auto notBack = claim.giveBack())
            error = notBack;
    if (claim.held())
        journal.keep();
    return error;
}

} // namespace lp::platform::posix
