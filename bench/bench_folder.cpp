#include "bench_folder.h"

#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::bench {

BenchFolder::BenchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "larchpost-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

BenchFolder::~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string BenchFolder::sub(const std::string& name) const {
    const std::string folder = path_ + "/" + name;
    std::filesystem::create_directories(folder);
    return folder;
}

void BenchFolder::fill(const std::string& folder, const std::string& prefix, std::size_t first,
                       std::size_t count, bool varied) {
    for (std::size_t n = first; n < first + count; ++n) {
        const std::string path =
            folder + "/" + prefix + std::to_string(n) + (n % 4 == 0 ? ".mp3" : ".dat");
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot create " + path);
        if (varied) {
            (void)!::ftruncate(fd, static_cast<off_t>((n * 7919) % 40'000));
            const timespec when{static_cast<time_t>(1'700'000'000 + (n * 104'729) % 30'000'000), 0};
            const timespec times[2] = {when, when};
            ::futimens(fd, times);
        }
        ::close(fd);
    }
}

namespace {

template <typename PerEntry> std::size_t count(const std::string& folder, PerEntry each) {
    std::size_t entries = 0;
    DIR* stream = ::opendir(folder.c_str());
    if (stream == nullptr)
        return 0;
    while (const dirent* entry = ::readdir(stream)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        each(::dirfd(stream), name);
        ++entries;
    }
    ::closedir(stream);
    return entries;
}

} // namespace

std::size_t CountEntries(const std::string& folder) {
    return count(folder, [](int, const char*) {});
}

std::size_t CountEntriesWithStatus(const std::string& folder) {
    return count(folder, [](int fd, const char* name) {
        struct stat status {};
        ::fstatat(fd, name, &status, 0);
    });
}

void SetFolderTimeBack(const std::string& folder) {
    const timespec when{::time(nullptr) - 60, 0};
    const timespec times[2] = {when, when};
    ::utimensat(AT_FDCWD, folder.c_str(), times, 0);
}

} // namespace lp::bench
