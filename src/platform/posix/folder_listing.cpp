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

// Calls take(folderFd, name) for every entry but "." and ".."; take says whether to go on. False
// when the folder cannot be opened or read whole, or take gave up.
template <typename Take> bool readEntries(const std::string& folder, Take take) {
    const std::unique_ptr<DIR, FolderCloser> stream(::opendir(folder.c_str()));
    if (!stream)
        return false;
    const int folderFd = ::dirfd(stream.get());
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream.get());
        if (entry == nullptr)
            return errno == 0; // a listing cut short is no listing: its missing entries would
                               // count as new later
        if (!isDotOrDotDot(entry->d_name) && !take(folderFd, entry->d_name))
            return false;
    }
}

} // namespace

bool ListFolderInto(const std::string& folder, bool withDetails,
                    std::vector<FolderEntry>& entries) {
    std::size_t count = 0;
    const bool whole = readEntries(folder, [&](int folderFd, const char* name) {
        if (count == entries.size())
            entries.emplace_back();
        FolderEntry& added = entries[count];
        added.name.assign(name);
        added.isFolder = false;
        added.size = 0;
        added.date = 0.0;
        added.writeInstant.reset();
        added.watchable = false;
        if (withDetails) {
            switch (posix::ReadEntryDetails(folderFd, name, added)) {
            case posix::Examined::Vanished: // gone since it was named
                return true;
            case posix::Examined::Failed: // a folder that can be read but not searched, say
                return false;
            case posix::Examined::Done:
                break;
            }
        }
        ++count;
        return true;
    });
    entries.resize(whole ? count : 0);
    return whole;
}

bool ListNamesInto(const std::string& folder, std::vector<std::string>& names) {
    std::size_t count = 0;
    const bool whole = readEntries(folder, [&](int, const char* name) {
        if (count == names.size())
            names.emplace_back();
        names[count++].assign(name);
        return true;
    });
    names.resize(whole ? count : 0);
    return whole;
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
