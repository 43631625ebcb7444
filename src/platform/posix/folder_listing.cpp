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

bool ListFolderInto(const std::string& folder, bool withDetails,
                    std::vector<FolderEntry>& entries) {
    std::size_t count = 0;
    const auto fail = [&] {
        entries.clear();
        return false;
    };
    const std::unique_ptr<DIR, FolderCloser> stream(::opendir(folder.c_str()));
    if (!stream)
        return fail();
    const int folderFd = ::dirfd(stream.get());
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream.get());
        if (entry == nullptr) {
            // A listing cut short is no listing: its missing entries would count as new later.
            if (errno != 0)
                return fail();
            break;
        }
        if (isDotOrDotDot(entry->d_name))
            continue;
        if (count == entries.size())
            entries.emplace_back();
        FolderEntry& added = entries[count];
        added.name.assign(entry->d_name);
        added.isFolder = false;
        added.size = 0;
        added.date = 0.0;
        added.watchable = false;
        if (withDetails) {
            switch (posix::ReadEntryDetails(folderFd, entry->d_name, added)) {
            case posix::Examined::Vanished: // gone since it was named
                continue;
            case posix::Examined::Failed: // a folder that can be read but not searched, say
                return fail();
            case posix::Examined::Done:
                break;
            }
        }
        ++count;
    }
    entries.resize(count);
    return true;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, bool withDetails,
                                                   std::size_t expected) {
    std::vector<FolderEntry> entries;
    entries.reserve(expected);
    if (!ListFolderInto(folder, withDetails, entries))
        return std::nullopt;
    return entries;
}

} // namespace lp::platform
