#include "platform/file_in_use.h"

#include "windows_support.h"

namespace lp::platform {

bool FileOpenForWriting(const std::string& path) {
    const std::wstring wide = windows::toWide(path);
    // Only a file on a disk is opened: a device or a pipe may act on being opened.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return false;
    // Reading while sharing only reading is refused exactly while another program has the file
    // open for writing. The handle is held only for this check, so a writer opening the file
    // just then is turned away for no longer than that. Nothing is read, and a file kept in
    // remote storage is not fetched for it.
    const windows::Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_OPEN_NO_RECALL, nullptr));
    if (!file.valid())
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    return false;
}

bool ListedFileOpenForWriting(const std::string& path) {
    // The listing's attributes are not kept here: the file's are read again as above.
    return FileOpenForWriting(path);
}

} // namespace lp::platform
