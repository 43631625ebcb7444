#include "trash_place.h"
#include "posix_support.h"

#include <gio/gio.h>
#include <gio/gunixmounts.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace lp::platform::posix {

namespace {

std::error_code failure(std::errc reason) {
    return std::make_error_code(reason);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// A drive's top: the last folder up from folder (itself included) still on its file system.
std::string topOf(const std::string& folder, dev_t device) {
    std::string top = folder;
    while (top != "/") {
        const std::string parent = folderOf(top);
        struct stat status {};
        if (::stat(parent.c_str(), &status) != 0 || status.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// Whether GIO keeps trash off this drive: a system folder's mount, or one marked
// x-gvfs-notrash (GIO's own rule, asked of GIO itself).
bool trashKeptOff(const std::string& top) {
    GUnixMountEntry* mount = g_unix_mount_at(top.c_str(), nullptr);
    if (mount == nullptr)
        return true;
    bool keptOff = g_unix_mount_is_system_internal(mount);
    const char* options = g_unix_mount_get_options(mount);
    GUnixMountPoint* point = nullptr;
    if (options == nullptr) {
        point = g_unix_mount_point_at(top.c_str(), nullptr);
        if (point != nullptr)
            options = g_unix_mount_point_get_options(point);
    }
    keptOff = keptOff || (options != nullptr && std::strstr(options, "x-gvfs-notrash") != nullptr);
    if (point != nullptr)
        g_unix_mount_point_free(point);
    g_unix_mount_free(mount);
    return keptOff;
}

// Whether this process may add entries to folder, judged as the kernel will when it tries (with
// the effective user, and what overrides permissions where the process has it).
bool mayAddTo(const std::string& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool ownFolder(const struct stat& status) {
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid();
}

// The trash on a drive other than the home's: $top/.Trash/$uid where an administrator made a
// sticky $top/.Trash, else $top/.Trash-$uid; each the user's own folder, or one the user may make.
std::error_code driveTrash(const std::string& top, TrashPlace& place) {
    if (trashKeptOff(top))
        return failure(std::errc::operation_not_supported);
    const std::string uid = std::to_string(::geteuid());
    struct stat status {};
    const std::string shared = joined(top, ".Trash");
    if (::lstat(shared.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
        (status.st_mode & S_ISVTX) != 0) {
        const std::string own = joined(shared, uid);
        if (::lstat(own.c_str(), &status) == 0 ? ownFolder(status) : mayAddTo(shared)) {
            place = {own, top};
            return {};
        }
    }
    const std::string own = joined(top, ".Trash-" + uid);
    if (::lstat(own.c_str(), &status) == 0 ? ownFolder(status) : mayAddTo(top)) {
        place = {own, top};
        return {};
    }
    return failure(std::errc::operation_not_supported);
}

// The nearest of path and the folders above it that exists, with its status.
std::string nearestExisting(std::string path, struct stat& status) {
    while (::stat(path.c_str(), &status) != 0 && path != "/")
        path = folderOf(path);
    return path;
}

// Whether a folder of the trash (or, where it is still to be made, the folder it would be made
// in) lets the user add entries, on the file system the entry is on.
std::error_code writableThere(const std::string& path, dev_t device) {
    struct stat status {};
    const std::string existing = nearestExisting(path, status);
    if (!S_ISDIR(status.st_mode))
        return failure(std::errc::not_a_directory);
    if (!mayAddTo(existing))
        return lastError();
    if (status.st_dev != device)
        return failure(std::errc::cross_device_link);
    return {};
}

// Room for the record, in blocks and a file entry, on the trash's file system.
std::error_code roomFor(const std::string& info, std::size_t recordSize) {
    struct stat status {};
    const std::string existing = nearestExisting(info, status);
    struct statvfs room {};
    if (::statvfs(existing.c_str(), &room) != 0)
        return lastError();
    const unsigned long block = room.f_frsize != 0 ? room.f_frsize : room.f_bsize;
    const unsigned long long needed = (recordSize + block - 1) / block;
    const bool privileged = ::geteuid() == 0;
    const unsigned long long blocks = privileged ? room.f_bfree : room.f_bavail;
    const unsigned long long entries = privileged ? room.f_ffree : room.f_favail;
    // A file system that keeps no count (ramfs, say) reports none at all.
    if ((room.f_blocks != 0 && blocks < needed) || (room.f_files != 0 && entries == 0))
        return failure(std::errc::no_space_on_device);
    return {};
}

std::size_t longestName(const std::string& info) {
    struct stat status {};
    const std::string existing = nearestExisting(info, status);
    struct statvfs room {};
    if (::statvfs(existing.c_str(), &room) != 0 || room.f_namemax == 0)
        return NAME_MAX;
    return room.f_namemax;
}

bool unreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::error_code FindTrashFor(const std::string& folder, const std::string& name,
                             std::size_t recordSize, TrashPlace& place) {
    struct stat where {};
    if (::stat(folder.c_str(), &where) != 0)
        return lastError();
    struct stat home {};
    if (::stat(g_get_home_dir(), &home) != 0)
        return lastError();
    if (where.st_dev == home.st_dev)
        place = {joined(g_get_user_data_dir(), "Trash"), {}};
    else if (const std::error_code refused = driveTrash(topOf(folder, where.st_dev), place))
        return refused;

    const std::string info = joined(place.folder, "info");
    for (const std::string& part : {info, joined(place.folder, "files")})
        if (const std::error_code refused = writableThere(part, where.st_dev))
            return refused;
    place.longestName = longestName(info);
    // A name too long for GIO's record goes in under a shortened one, which fits the longest.
    const std::size_t recordName =
        std::min(name.size() + kTrashRecordSuffix + kGioWritingSuffix, place.longestName);
    if (place.longestName < kShortestTrashName + kTrashRecordSuffix ||
        info.size() + 1 + recordName >= PATH_MAX)
        return failure(std::errc::filename_too_long);
    return roomFor(info, recordSize);
}

std::string TrashRecordStart(const std::string& path, const TrashPlace& place) {
    // A drive's own trash names the file relative to the drive's top.
    const std::string named = place.top.empty()  ? path
                              : place.top == "/" ? path.substr(1)
                                                 : path.substr(place.top.size() + 1);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string record = "[Trash Info]\nPath=";
    for (const char c : named) {
        const auto byte = static_cast<unsigned char>(c);
        if (unreserved(byte) || c == '/') {
            record += c;
        } else {
            record += '%';
            record += kHex[byte >> 4];
            record += kHex[byte & 0xF];
        }
    }
    return record + "\nDeletionDate=";
}

std::error_code WriteTrashRecord(int fd, const std::string& path, const TrashPlace& place) {
    const time_t now = ::time(nullptr);
    struct tm local {};
    char date[32] = "";
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const std::string record = TrashRecordStart(path, place) + date + "\n";
    const ssize_t written = ::write(fd, record.data(), record.size());
    if (written < 0)
        return lastError();
    // A short write without an error: the drive took only part of the record.
    if (written != static_cast<ssize_t>(record.size()))
        return std::make_error_code(std::errc::io_error);
    if (::fsync(fd) != 0)
        return lastError();
    return {};
}

std::optional<std::string> TrashRecordPath(const std::string& record) {
    static constexpr std::string_view kHead = "[Trash Info]\n";
    static constexpr std::string_view kKey = "\nPath=";
    if (record.compare(0, kHead.size(), kHead) != 0)
        return std::nullopt;
    const auto start = record.find(kKey);
    if (start == std::string::npos)
        return std::nullopt;
    const auto end = record.find('\n', start + kKey.size());
    if (end == std::string::npos)
        return std::nullopt;
    std::string path;
    for (auto i = start + kKey.size(); i < end; ++i) {
        if (record[i] != '%') {
            path += record[i];
            continue;
        }
        if (i + 2 >= end || hexValue(record[i + 1]) < 0 || hexValue(record[i + 2]) < 0)
            return std::nullopt;
        path += static_cast<char>(hexValue(record[i + 1]) * 16 + hexValue(record[i + 2]));
        i += 2;
    }
    return path;
}

} // namespace lp::platform::posix
