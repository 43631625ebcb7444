#include "platform/folder_making.h"
#include "file_descriptor.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <mntent.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// A path as the system resolves it, so that "/mnt/x/" and a link to it name one folder; as
// written, without separators at its end, where it cannot be resolved.
std::string resolved(const std::string& path) {
    if (auto real = ResolvedFolder(path))
        return std::move(*real);
    const auto end = path.find_last_not_of('/');
    return end == std::string::npos ? "/" : path.substr(0, end + 1);
}

// The mount points a table of file systems names (getmntent decodes its escapes), as written
// there without separators at their end; those that are no place of files (swap) left out.
std::set<std::string> mountPointsIn(const std::string& table) {
    std::set<std::string> points;
    const std::unique_ptr<FILE, int (*)(FILE*)> file(::setmntent(table.c_str(), "re"), ::endmntent);
    if (!file)
        return points;
    mntent entry{};
    std::array<char, 4096> buffer{};
    while (::getmntent_r(file.get(), &entry, buffer.data(), static_cast<int>(buffer.size()))) {
        const std::string point = entry.mnt_dir ? entry.mnt_dir : "";
        if (point.starts_with('/'))
            points.insert(point.substr(0, point.find_last_not_of('/') + 1));
    }
    return points;
}

bool isAtOrBelow(const std::string& path, const std::string& folder) {
    return folder == "/" || path == folder ||
           (path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

} // namespace

bool AwaitsItsDrive(const std::string& folder, const std::string& mountTable) {
    const std::set<std::string> named = mountPointsIn(mountTable);
    if (named.empty())
        return false;
    const std::set<std::string> mounted = mountPointsIn("/proc/self/mounts");
    const std::string path = resolved(folder);
    return std::ranges::any_of(named, [&](const std::string& point) {
        // Only a mount point with nothing on it is resolved: a look through a mounted one could
        // wait on a network server that does not answer.
        if (point.empty() || mounted.contains(point))
            return false;
        const std::string real = resolved(point);
        return real != "/" && !mounted.contains(real) && isAtOrBelow(path, real);
    });
}

std::optional<std::string> ResolvedFolder(const std::string& folder) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    if (!real)
        return std::nullopt;
    return std::string(real.get());
}

std::error_code RemoveEmptyFolder(const std::string& folder) {
    // rmdir removes only an empty folder, and fails on a link, which it never follows.
    if (::rmdir(folder.c_str()) != 0)
        return lastError();
    return {};
}

std::error_code MakeFoldersBelow(const std::string& base, const std::vector<std::string>& below,
                                 std::vector<std::string>& made) {
    made.clear();
    posix::FileDescriptor folder(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return errno == ENOENT ? std::make_error_code(std::errc::no_such_file_or_directory)
                               : lastError();
    if (AwaitsItsDrive(base))
        return std::make_error_code(std::errc::no_such_file_or_directory);
    std::string path = base;
    for (const std::string& name : below) {
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
            return std::make_error_code(std::errc::invalid_argument);
        if (!path.empty() && path.back() != '/')
            path += '/';
        path += name;
        // 0777 and the umask: the mode the user's own programs give a new folder.
        const bool madeHere = ::mkdirat(folder.get(), name.c_str(), 0777) == 0;
        if (!madeHere && errno != EEXIST)
            return lastError();
        if (madeHere)
            made.push_back(path);
        // O_NOFOLLOW: a link standing at the name is never gone through.
        const int next =
            ::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            return errno == ELOOP || errno == ENOTDIR
                       ? std::make_error_code(std::errc::not_a_directory)
                       : lastError();
        folder.reset(next);
    }
    return {};
}

} // namespace lp::platform
