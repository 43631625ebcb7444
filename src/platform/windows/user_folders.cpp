#include "platform/user_folders.h"

#include "windows_support.h"

#include <shlobj.h>

namespace lp::platform {

std::string UserConfigFolder() {
    // The roaming application data folder (%APPDATA%), which follows the user between machines.
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder)))
        result = windows::toUtf8(folder);
    ::CoTaskMemFree(folder);
    while (result.size() > 3 && (result.back() == '\\' || result.back() == '/'))
        result.pop_back();
    return result;
}

bool FolderWritable(const std::string& folder) {
    if (folder.empty())
        return false;
    // Permission bits say little on Windows (access lists, read-only media, redirected folders):
    // only creating a file tells. The file goes again when its handle closes.
    std::wstring probe = windows::toWide(folder);
    if (probe.back() != L'\\' && probe.back() != L'/')
        probe += L'\\';
    probe += windows::uniqueName(L".larchpost-probe-");
    const windows::Handle file(::CreateFileW(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.valid();
}

} // namespace lp::platform
