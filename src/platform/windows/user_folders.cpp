#include "platform/user_folders.h"

#include "windows_support.h"

#include <shlobj.h>

namespace lp::platform {

namespace {

// A known folder of the user's, without a trailing separator; empty when there is none.
std::string knownFolder(REFKNOWNFOLDERID which) {
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(which, 0, nullptr, &folder)))
        result = windows::toUtf8(folder);
    ::CoTaskMemFree(folder);
    while (result.size() > 3 && (result.back() == '\\' || result.back() == '/'))
        result.pop_back();
    return result;
}

} // namespace

std::string UserConfigFolder() {
    // The roaming application data folder (%APPDATA%), which follows the user between machines.
    return knownFolder(FOLDERID_RoamingAppData);
}

std::string UserStateFolder() {
    // The local application data folder (%LOCALAPPDATA%): logs belong to this machine and would
    // only slow down a roaming profile.
    return knownFolder(FOLDERID_LocalAppData);
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
