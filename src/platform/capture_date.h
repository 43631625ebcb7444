#pragma once
// The moment a photo was taken, as the photo itself records it.

#include <optional>
#include <string>

namespace lp::platform {

// The EXIF DateTimeOriginal of the file at path as a local date-time (see local_time.h); nothing
// when the file has none, cannot be read, or is no regular file (a pipe or a device is never
// opened). The Windows build reads none: its files fall back to their last-write time.
std::optional<double> CaptureDate(const std::string& path);

} // namespace lp::platform
