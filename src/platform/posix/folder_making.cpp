#include "platform/folder_making.h"
#include "file_descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace lp::platform {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

} // namespace

std::error_code MakeFoldersBelow(const std::string& base, const std::vector<std::string>& below,
                                 std::vector<std::string>& made) {
    made.clear();
    posix::FileDescriptor folder(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return errno == ENOENT ? std::make_error_code(std::errc::no_such_file_or_directory)
                               : lastError();
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
