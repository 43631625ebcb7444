#include "platform/entry_status.h"

#include "windows_support.h"

namespace lp::platform {

namespace {

// A symbolic link or a junction: an entry that names another. Other reparse points (files kept
// in the cloud, deduplicated files) are the file or folder itself.
bool namesAnother(const std::wstring& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return false;
    const windows::Handle entry(::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr));
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!entry.valid() ||
        !::GetFileInformationByHandleEx(entry.get(), FileAttributeTagInfo, &tag, sizeof tag))
        return true; // what cannot be told is taken for a link, never for a folder of its own
    return IsReparseTagNameSurrogate(tag.ReparseTag);
}

} // namespace

EntryStatus ExamineEntry(const std::string& path) {
    EntryStatus status;
    const std::wstring wide = windows::toWide(path);
    WIN32_FILE_ATTRIBUTE_DATA entry{};
    // The attributes of the entry itself: a link is not followed here.
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &entry)) {
        status.nameTooLong = ::GetLastError() == ERROR_FILENAME_EXCED_RANGE;
        return status;
    }
    status.exists = true;
    status.isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                      !namesAnother(wide, entry.dwFileAttributes);
    // Folders hold files, folders and links; a device shows only where a path names one.
    status.isSpecial = (entry.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
    // Opened for its attributes only, through links: no program using the file is disturbed.
    const windows::Handle reached(::CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!reached.valid() || !::GetFileInformationByHandle(reached.get(), &info))
        return status; // a link that leads nowhere
    status.leadsTo = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathLeadsTo::Folder
                     : ::GetFileType(reached.get()) == FILE_TYPE_DISK        ? PathLeadsTo::File
                                                                             : PathLeadsTo::Other;
    status.device = info.dwVolumeSerialNumber;
    status.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // A rename stays within one volume; a volume mounted in a folder is reached through it.
    status.volume = info.dwVolumeSerialNumber;
    return status;
}

} // namespace lp::platform
