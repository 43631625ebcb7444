#include "platform/capture_date.h"
#include "file_descriptor.h"
#include "platform/local_time.h"

#include <libexif/exif-data.h>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace lp::platform {

namespace {

// EXIF lives in a photo's first blocks: more is never read.
constexpr std::size_t kMostRead = 1 << 20;

struct ExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

std::optional<std::vector<unsigned char>> readStart(const std::string& path) {
    // O_NONBLOCK: a pipe that got past the check below never holds the open up.
    posix::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    std::vector<unsigned char> bytes(kMostRead);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace

std::optional<double> CaptureDate(const std::string& path) {
    struct stat status {};
    // The kind is looked at before anything opens it: a FIFO or device is never opened.
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    const auto bytes = readStart(path);
    if (!bytes || bytes->empty())
        return std::nullopt;
    const std::unique_ptr<ExifData, ExifDataRelease> data(
        exif_data_new_from_data(bytes->data(), static_cast<unsigned int>(bytes->size())));
    if (!data)
        return std::nullopt;
    ExifEntry* entry =
        exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || entry->size < 19)
        return std::nullopt;
    // "YYYY:MM:DD HH:MM:SS", the camera's local time.
    const std::string text(reinterpret_cast<const char*>(entry->data), 19);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(text.c_str(), "%4d:%2d:%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute,
                    &second) != 6 ||
        year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 60)
        return std::nullopt;
    return LocalDateTime(year, month, day, hour, minute, second);
}

} // namespace lp::platform
