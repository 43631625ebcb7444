#include "platform/folder_listing.h"
#include "entry_details.h"

#include <cerrno>
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

// Whether the entry is a drive's trash, which the desktop keeps at a drive's top as ".Trash" or
// ".Trash-<user id>": no entry of the folder the user watches. Any other name costs one compare.
bool isDriveTrash(int folderFd, const dirent& entry) {
    const char* name = entry.d_name;
    if (name[0] != '.' || std::strncmp(name + 1, "Trash", 5) != 0)
        return false;
    if (name[6] == '-') {
        if (name[7] == '\0')
            return false;
        for (const char* digit = name + 7; *digit != '\0'; ++digit)
            if (*digit < '0' || *digit > '9')
                return false;
    } else if (name[6] != '\0') {
        return false;
    }
    struct stat trash {};
    struct stat folder {};
    struct stat parent {};
    if (::fstatat(folderFd, name, &trash, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(trash.st_mode) ||
        ::fstat(folderFd, &folder) != 0 || ::fstatat(folderFd, "..", &parent, 0) != 0)
        return false;
    // The top of a drive: its parent is on another, or it is the root.
    return parent.st_dev != folder.st_dev || parent.st_ino == folder.st_ino;
}

bool isWorkingName(const char* name) {
    return name[0] == '.' &&
           std::strncmp(name, kWorkingNamePrefix.data(), kWorkingNamePrefix.size()) == 0;
}

// Calls take(folderFd, name, type) for every entry but "." and "..", a working file of ours and
// a drive's trash, type being the entry's kind as the folder itself records it (DT_UNKNOWN where
// it does not); take says whether to go on. False when the folder cannot be opened or read
// whole, or take gave up.
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
        if (!isDotOrDotDot(entry->d_name) && !isWorkingName(entry->d_name) &&
            !isDriveTrash(folderFd, *entry) && !take(folderFd, entry->d_name, entry->d_type))
            return false;
    }
}

} // namespace

bool ListFolderInto(const std::string& folder, bool withDetails,
                    std::vector<FolderEntry>& entries) {
    std::size_t count = 0;
    const bool whole = readEntries(folder, [&](int folderFd, const char* name, unsigned char type) {
        if (count == entries.size())
            entries.emplace_back();
        FolderEntry& added = entries[count];
        added.name.assign(name);
        added.isFolder = false;
        added.size = 0;
        added.date = 0.0;
        added.writeInstant.reset();
        added.watchable = false;
        added.plainFile = type == DT_REG;
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
    const bool whole = readEntries(folder, [&](int, const char* name, unsigned char) {
        if (count == names.size())
            names.emplace_back();
        names[count++].assign(name);
        return true;
    });
    names.resize(whole ? count : 0);
    return whole;
}

} // namespace lp::platform
