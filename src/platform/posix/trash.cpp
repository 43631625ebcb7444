#include "platform/trash.h"
#include "file_descriptor.h"
#include "long_name_trash.h"
#include "posix_support.h"
#include "trash_place.h"

#include <gio/gio.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

namespace {

using posix::TrashPlace;

std::atomic<bool> trashPrepared{false};

std::error_code failure(std::errc reason) {
    return std::make_error_code(reason);
}

// An environment variable's value, to be put back as it was.
std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}
void restore(const char* name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

// GIO's errors that have a like among the system's; any other is an input/output error.
struct GioReason {
    int code;
    std::errc reason;
};
constexpr GioReason kGioReasons[] = {
    {G_IO_ERROR_NOT_FOUND, std::errc::no_such_file_or_directory},
    {G_IO_ERROR_PERMISSION_DENIED, std::errc::permission_denied},
    {G_IO_ERROR_NO_SPACE, std::errc::no_space_on_device},
    {G_IO_ERROR_FILENAME_TOO_LONG, std::errc::filename_too_long},
    {G_IO_ERROR_READ_ONLY, std::errc::read_only_file_system},
    {G_IO_ERROR_IS_DIRECTORY, std::errc::is_a_directory},
    {G_IO_ERROR_NOT_DIRECTORY, std::errc::not_a_directory},
    {G_IO_ERROR_NOT_SUPPORTED, std::errc::operation_not_supported},
};

// The reason GIO gave, as the system's error.
std::error_code reasonOf(const GError* error) {
    if (error != nullptr && error->domain == G_IO_ERROR)
        for (const GioReason& known : kGioReasons)
            if (error->code == known.code)
                return failure(known.reason);
    return failure(std::errc::io_error);
}

// Hands path to GIO's trash, on the local disk.
std::error_code trashWithGio(const std::string& path) {
    GFile* file = g_vfs_get_file_for_path(g_vfs_get_local(), path.c_str());
    GError* error = nullptr;
    const bool done = g_file_trash(file, nullptr, &error);
    const std::error_code reason = done ? std::error_code{} : reasonOf(error);
    if (error != nullptr)
        g_error_free(error);
    g_object_unref(file);
    return reason;
}

// The path of path's folder without links, "." or "..", with path's own name: the path GIO
// records as is (it would otherwise tidy "a/../b" by its letters, whatever "a" leads to).
std::optional<std::string> plainPath(const std::string& path, const std::string& name) {
    std::unique_ptr<char, decltype(&std::free)> folder(
        ::realpath(posix::folderOf(path).c_str(), nullptr), &std::free);
    if (!folder)
        return std::nullopt;
    const std::string base(folder.get());
    return base == "/" ? "/" + name : base + "/" + name;
}

std::string readSmallFile(const std::string& path) {
    const posix::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    std::string text;
    if (fd.get() < 0)
        return text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got <= 0 || text.size() > std::size_t{64} * 1024)
            return text;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

// The name the entry took in the trash's files/ folder: its own as a rule, or GIO's numbered
// one where that was taken; found by being the very file that was moved.
std::optional<std::string> nameInTrash(const std::string& files, const std::string& name,
                                       const struct stat& moved) {
    struct stat status {};
    if (::lstat((files + "/" + name).c_str(), &status) == 0 && posix::sameFile(status, moved))
        return name;
    DIR* folder = ::opendir(files.c_str());
    if (folder == nullptr)
        return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_ino != moved.st_ino)
            continue;
        if (::fstatat(::dirfd(folder), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            posix::sameFile(status, moved)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

// Writes the record into the (empty) record file GIO left.
bool writeRecord(const std::string& infoFile, const std::string& path, const TrashPlace& place) {
    const posix::FileDescriptor fd(
        ::open(infoFile.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
    return fd.get() >= 0 && !posix::WriteTrashRecord(fd.get(), path, place);
}

// GIO keeps to itself why a record stayed empty; writing one like it beside it tells (a full
// drive, a quota), and nothing of it is left.
std::error_code whyNoRecord(const std::string& path, const TrashPlace& place) {
    std::string probe = place.folder + "/info/.larchpost-record-XXXXXX";
    const posix::FileDescriptor fd(::mkostemp(probe.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return posix::lastError();
    const std::error_code error = posix::WriteTrashRecord(fd.get(), path, place);
    ::unlink(probe.c_str());
    return error ? error : failure(std::errc::io_error);
}

// After GIO said it trashed the entry: its record must restore it to path. GIO does not check
// that the record was written (a full drive, a quota, a name too long for its temporary file
// leave it empty), so a record that does not name path sends the entry back and the trashing
// fails. Where the entry cannot go back (a new file took its name meanwhile), the record is
// written here instead.
std::error_code checkRecord(const std::string& path, const std::string& name,
                            const struct stat& moved, const TrashPlace& place) {
    const std::string files = place.folder + "/files";
    const std::optional<std::string> inTrash = nameInTrash(files, name, moved);
    if (!inTrash)
        return failure(std::errc::io_error); // moved, but not where its trash keeps files
    const std::string infoFile = place.folder + "/info/" + *inTrash + ".trashinfo";
    const std::string start = posix::TrashRecordStart(path, place);
    const std::optional<std::string> recorded = posix::TrashRecordPath(readSmallFile(infoFile));
    // GIO names the entry relative to a drive's top, or whole where it cannot.
    const std::optional<std::string> relative = posix::TrashRecordPath(start + "\n");
    if (recorded && (recorded == relative || recorded == path))
        return {};
    if (!posix::renameNoReplace(files + "/" + *inTrash, path)) {
        ::unlink(infoFile.c_str());
        const std::error_code now = ForeseeTrashRefusal(path);
        return now ? now : whyNoRecord(path, place);
    }
    return writeRecord(infoFile, path, place) ? std::error_code{} : failure(std::errc::io_error);
}

// The record's size for the entry at path, to tell whether it fits on the trash's drive.
std::size_t recordSize(const std::string& path) {
    return posix::TrashRecordStart(path, {}).size() + sizeof "YYYY-MM-DDThh:mm:ss\n";
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool usableName(const std::string& path, const std::string& name) {
    return !path.empty() && path.find('\0') == std::string::npos && !name.empty() && name != "." &&
           name != "..";
}

} // namespace

bool TrashAvailable() {
    return true;
}

void PrepareTrash() {
    static std::once_flag once;
    std::call_once(once, [] {
        // GIO's default file system may be a desktop daemon's (gvfs), which it asks after every
        // trashing over D-Bus; and GTK_USE_PORTAL sends every trashing to a portal over D-Bus.
        // Both are decided once per process, at first use: made here, with the local file system
        // and without the portal, they stay so. The environment is put back at once, for the
        // programs that rules launch.
        const std::optional<std::string> vfs = variable("GIO_USE_VFS");
        const std::optional<std::string> portal = variable("GTK_USE_PORTAL");
        ::setenv("GIO_USE_VFS", "local", 1);
        ::unsetenv("GTK_USE_PORTAL");
        GVfs* chosen = g_vfs_get_default();
        // A path that can never exist (below a device): GIO settles the portal question first,
        // then finds nothing to trash.
        GFile* nothing = g_vfs_get_file_for_path(g_vfs_get_local(), "/dev/null/nothing");
        g_file_trash(nothing, nullptr, nullptr);
        g_object_unref(nothing);
        restore("GIO_USE_VFS", vfs);
        restore("GTK_USE_PORTAL", portal);
        // Inside a sandbox GIO always goes through the portal.
        const bool sandboxed = ::access("/.flatpak-info", F_OK) == 0;
        trashPrepared = !sandboxed && std::strcmp(G_OBJECT_TYPE_NAME(chosen), "GLocalVfs") == 0;
    });
}

std::error_code ForeseeTrashRefusal(const std::string& path) {
    const std::string name = nameOf(path);
    if (!usableName(path, name))
        return failure(std::errc::invalid_argument);
    const std::optional<std::string> plain = plainPath(path, name);
    if (!plain)
        return posix::lastError();
    TrashPlace place;
    return posix::FindTrashFor(posix::folderOf(*plain), name, recordSize(*plain), place);
}

std::error_code MoveToTrash(const std::string& path) {
    if (!trashPrepared)
        return failure(std::errc::operation_not_supported);
    const std::string name = nameOf(path);
    if (!usableName(path, name))
        return failure(std::errc::invalid_argument);
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0)
        return posix::lastError();
    if (S_ISDIR(entry.st_mode))
        return failure(std::errc::is_a_directory);
    const std::optional<std::string> plain = plainPath(path, name);
    struct stat same {};
    if (!plain || ::lstat(plain->c_str(), &same) != 0)
        return posix::lastError();
    if (!posix::sameFile(same, entry))
        return failure(std::errc::no_such_file_or_directory); // replaced meanwhile
    TrashPlace place;
    if (const std::error_code refused =
            posix::FindTrashFor(posix::folderOf(*plain), name, recordSize(*plain), place))
        return refused;
    // A name too long for GIO's record goes in under a shorter one, recorded here.
    if (!posix::GioCanRecord(place, name))
        return posix::TrashUnderShortName(*plain, name, entry, place);
    if (const std::error_code refused = trashWithGio(*plain))
        return refused;
    return checkRecord(*plain, name, entry, place);
}

} // namespace lp::platform
