#include "platform/folder_listing.h"
#include "platform/local_time.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>

namespace lp::platform {

namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

enum class Examined : std::uint8_t { Done, Vanished, Failed };

// Follows a link to what it names, as a file manager shows it; a link that leads nowhere (or
// round in a circle) is described as the link itself.
Examined examine(int folderFd, const char* name, struct stat& status) {
    if (::fstatat(folderFd, name, &status, 0) == 0 ||
        ::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) == 0)
        return Examined::Done;
    return errno == ENOENT ? Examined::Vanished : Examined::Failed;
}

// Saturates beyond the nearly 300 years either side of 1970 that the count holds.
std::int64_t nanosecondsSinceEpoch(const timespec& time) {
    constexpr std::int64_t kPerSecond = 1'000'000'000;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / kPerSecond - 1;
    const std::int64_t seconds = std::clamp<std::int64_t>(time.tv_sec, -kLimit, kLimit);
    return seconds * kPerSecond + time.tv_nsec;
}

} // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, bool withDetails) {
    const std::unique_ptr<DIR, FolderCloser> stream(::opendir(folder.c_str()));
    if (!stream)
        return std::nullopt;
    const int folderFd = ::dirfd(stream.get());
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream.get());
        if (entry == nullptr) {
            // A listing cut short is no listing: its missing entries would count as new later.
            if (errno != 0)
                return std::nullopt;
            break;
        }
        if (isDotOrDotDot(entry->d_name))
            continue;
        FolderEntry& added = entries.emplace_back();
        added.name.assign(entry->d_name);
        if (!withDetails)
            continue;
        struct stat status {};
        switch (examine(folderFd, entry->d_name, status)) {
        case Examined::Vanished: // gone since it was named
            entries.pop_back();
            continue;
        case Examined::Failed: // a folder that can be read but not searched, say
            return std::nullopt;
        case Examined::Done:
            break;
        }
        added.isFolder = S_ISDIR(status.st_mode);
        added.size = added.isFolder ? 0 : static_cast<std::int64_t>(status.st_size);
        added.date = FileTimeToLocalDateTime(status.st_mtim.tv_sec);
        added.writeInstant = nanosecondsSinceEpoch(status.st_mtim);
    }
    return entries;
}

} // namespace lp::platform
