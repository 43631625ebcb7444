#include "platform/capture_date.h"

namespace lp::platform {

// No EXIF reader is built for Windows: every file uses its last-write time.
std::optional<double> CaptureDate(const std::string&) {
    return std::nullopt;
}

} // namespace lp::platform
