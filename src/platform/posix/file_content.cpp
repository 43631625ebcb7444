#include "platform/file_content.h"

#include "file_descriptor.h"
#include "posix_support.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <magic.h>
#include <memory>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace lp::platform {

namespace {

// How much of a file's start is handed to the magic database: what tells every common type
// apart, without reading a large file whole.
constexpr std::size_t kHeadBytes = std::size_t{64} * 1024;

// The address attribute that browsers and download tools write on Linux.
constexpr const char* kOriginAttribute = "user.xdg.origin.url";

FileIdentity versionOf(const struct stat& status) {
    return FileIdentity{static_cast<std::uint64_t>(status.st_size), posix::modifiedNs(status),
                        static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
}

struct MagicClose {
    void operator()(magic_t cookie) const { ::magic_close(cookie); }
};
using MagicCookie = std::unique_ptr<std::remove_pointer_t<magic_t>, MagicClose>;

// One loaded database per thread, since a cookie must not be shared between threads; nothing
// when the database cannot be loaded, and then every type is unknown.
magic_t threadMagic() {
    thread_local const MagicCookie cookie = [] {
        MagicCookie opened(::magic_open(MAGIC_MIME_TYPE | MAGIC_ERROR));
        if (opened && ::magic_load(opened.get(), nullptr) != 0)
            opened.reset();
        return opened;
    }();
    return cookie.get();
}

bool readHead(int fd, std::string& head) {
    head.resize(kHeadBytes);
    std::size_t filled = 0;
    while (filled < head.size()) {
        const ssize_t got = ::read(fd, head.data() + filled, head.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    head.resize(filled);
    return true;
}

} // namespace

std::optional<FileIdentity> RegularFileVersion(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return versionOf(status);
}

std::optional<ContentType> ReadContentType(const std::string& path) {
    // The entry's kind is looked at before it is opened, and again on what was opened: a pipe
    // put there meanwhile is opened without waiting for a writer and never read.
    if (!RegularFileVersion(path))
        return std::nullopt;
    const posix::FileDescriptor file(
        ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    magic_t magic = threadMagic();
    std::string head;
    if (magic == nullptr || !readHead(file.get(), head))
        return std::nullopt;
    const char* type = ::magic_buffer(magic, head.data(), head.size());
    if (type == nullptr)
        return std::nullopt;
    std::string mime(type);
    std::ranges::transform(mime, mime.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    });
    return ContentType{versionOf(status), std::move(mime)};
}

std::optional<std::string> DownloadOrigin(const std::string& path) {
    std::string value(1024, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t got = ::getxattr(path.c_str(), kOriginAttribute, value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            // Some writers end the address with a NUL.
            while (!value.empty() && value.back() == '\0')
                value.pop_back();
            return value;
        }
        if (errno != ERANGE)
            return std::nullopt;
        // Longer than the room given: ask its length, which may still grow meanwhile.
        const ssize_t length = ::getxattr(path.c_str(), kOriginAttribute, nullptr, 0);
        if (length < 0)
            return std::nullopt;
        value.resize(static_cast<std::size_t>(length) + 1);
    }
    return std::nullopt;
}

} // namespace lp::platform
