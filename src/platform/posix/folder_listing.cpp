#include "platform/folder_listing.h"
#include "entry_details.h"

#include <cerrno>
#include <dirent.h>
#include <memory>

namespace lp::platform {

namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, bool withDetails,
                                                   std::size_t expected) {
    const std::unique_ptr<DIR, FolderCloser> stream(::opendir(folder.c_str()));
    if (!stream)
        return std::nullopt;
    const int folderFd = ::dirfd(stream.get());
    std::vector<FolderEntry> entries;
    entries.reserve(expected);
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
        switch (posix::ReadEntryDetails(folderFd, entry->d_name, added)) {
        case posix::Examined::Vanished: // gone since it was named
            entries.pop_back();
            continue;
        case posix::Examined::Failed: // a folder that can be read but not searched, say
            return std::nullopt;
        case posix::Examined::Done:
            break;
        }
    }
    return entries;
}

} // namespace lp::platform
