#include "platform/file_identity.h"

#include "windows_support.h"

namespace lp::platform {

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    // Opened only to read its attributes, sharing everything, so that no other program is kept
    // from reading, writing, renaming or deleting it meanwhile; a link is examined itself.
    const windows::Handle entry(::CreateFileW(
        windows::toWide(path).c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!entry.valid() || !::GetFileInformationByHandle(entry.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    // File times count 100-nanosecond steps from 1601-01-01, 11644473600 s before the epoch.
    constexpr std::int64_t kEpochTicks = 116'444'736'000'000'000;
    const auto ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
        info.ftLastWriteTime.dwLowDateTime);
    return FileIdentity{
        (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
        (ticks - kEpochTicks) * 100,
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
    };
}

} // namespace lp::platform
