#include "platform/held_folder.h"
#include "platform/folder_device.h"

namespace lp::platform {

HeldFolder::~HeldFolder() = default;

// Folders are not held open here: each on the way is looked at, and the files are reached by
// their paths.
std::optional<HeldFolder> HoldSubFolder(const std::string& top, std::string_view below) {
    std::string path = top;
    while (!below.empty()) {
        const auto slash = below.find('/');
        path.append(1, '\\').append(below.substr(0, slash));
        const auto real = RealFolderAt(path);
        if (!real || real->mountedOn)
            return std::nullopt;
        below = slash == std::string_view::npos ? std::string_view{} : below.substr(slash + 1);
    }
    return HeldFolder(-1, path);
}

std::string LastingPath(const std::string& path) {
    return path;
}

} // namespace lp::platform
