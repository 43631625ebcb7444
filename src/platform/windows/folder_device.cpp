#include "platform/folder_device.h"

#include "windows_support.h"

namespace lp::platform {

std::optional<RealFolder> RealFolderAt(const std::string& path, bool followLink) {
    const DWORD attributes = ::GetFileAttributesW(windows::toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::nullopt;
    // Links to folders, junctions and other volumes mounted in a folder are all reparse points,
    // so a folder that is none lies on the volume of the folder that holds it.
    if (!followLink && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return std::nullopt;
    // Which folder it is cannot be told from its attributes: the walk compares paths alone.
    return RealFolder{};
}

bool TooLongToExamine(const std::string& path) {
    return windows::toWide(path).size() >= MAX_PATH;
}

} // namespace lp::platform
