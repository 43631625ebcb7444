#include "platform/folder_listing.h"
#include "platform/local_time.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
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

// Follows a link to what it names, as a file manager shows it; a link that leads nowhere is
// described as the link itself.
bool examine(int folderFd, const char* name, struct stat& status) {
    return ::fstatat(folderFd, name, &status, 0) == 0 ||
           ::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, bool withDetails) {
    const std::unique_ptr<DIR, FolderCloser> stream(::opendir(folder.c_str()));
    if (!stream)
        return std::nullopt;
    const int folderFd = ::dirfd(stream.get());
    std::vector<FolderEntry> entries;
    while (const dirent* entry = ::readdir(stream.get())) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        FolderEntry& added = entries.emplace_back();
        added.name.assign(entry->d_name);
        if (!withDetails)
            continue;
        struct stat status {};
        if (!examine(folderFd, entry->d_name, status)) {
            entries.pop_back(); // gone since it was named
            continue;
        }
        added.isFolder = S_ISDIR(status.st_mode);
        added.size = added.isFolder ? 0 : static_cast<std::int64_t>(status.st_size);
        added.date = FileTimeToLocalDateTime(status.st_mtim.tv_sec);
    }
    return entries;
}

} // namespace lp::platform
