#include "platform/instance_lock.h"

#include "windows_support.h"

#include <algorithm>
#include <io.h>
#include <shlobj.h>

namespace lp::platform {

namespace {

std::string describe(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + windows::lastError().message();
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string withoutTrailingSeparators(std::string path) {
    while (path.size() > 3 && isSeparator(path.back()))
        path.pop_back();
    return path;
}

// "C:\..." or "\\server\share\...": the forms of a path that do not depend on where we are.
bool absolute(const std::string& path) {
    return (path.size() > 2 && path[1] == ':' && isSeparator(path[2])) ||
           (path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]));
}

// A folder of its own, not a link or junction that leads to one elsewhere.
bool realFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

} // namespace

ExclusiveFileLock::~ExclusiveFileLock() {
    if (fd_ >= 0)
        ::_close(fd_); // closes the handle, which ends the lock
}

ExclusiveFileLock::Attempt ExclusiveFileLock::tryLock(const std::string& path) {
    if (fd_ >= 0)
        return Attempt::Taken;
    // Shared with nobody: while this handle is open, every other open of the file fails, and the
    // system closes it when the process ends, however it ends. A link planted in the lock's
    // place is opened as itself, and refused below.
    const HANDLE file =
        ::CreateFileW(windows::toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (::GetLastError() == ERROR_SHARING_VIOLATION)
            return Attempt::HeldElsewhere;
        error_ = describe("cannot open the lock file", path);
        return Attempt::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) || ::GetFileType(file) != FILE_TYPE_DISK ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        error_ = "the lock file " + path + " is not a plain file";
        ::CloseHandle(file);
        return Attempt::Failed;
    }
    // The handle as a descriptor of the C library, which owns it from here on.
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
    if (fd < 0) {
        error_ = "cannot keep the lock file " + path + " open";
        ::CloseHandle(file);
        return Attempt::Failed;
    }
    fd_ = fd;
    return Attempt::Taken;
}

std::optional<std::string> MakePrivateFolder(const std::string& folder) {
    const std::string path = withoutTrailingSeparators(folder);
    if (!absolute(path))
        return "no absolute folder to keep the instance lock in";
    // Made with the folders above it. The folders in the user's profile keep other users out by
    // their access lists, which a new folder inherits.
    std::wstring wide = windows::toWide(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\'); // the shell's call takes only these
    const int made = ::SHCreateDirectoryExW(nullptr, wide.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
        return "cannot create the folder " + path + ": " +
               windows::errorFrom(static_cast<DWORD>(made)).message();
    if (!realFolder(wide))
        return path + " is not a folder";
    return std::nullopt;
}

std::vector<std::string> InstanceGuardFolders() {
    // The local application data folder, which stays on this machine, as the shell knows it for
    // the user: neither %LOCALAPPDATA% nor %USERPROFILE% is asked. It is there from the start.
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder)))
        result = windows::toUtf8(folder);
    ::CoTaskMemFree(folder);
    result = withoutTrailingSeparators(result);
    if (result.empty())
        return {};
    return {result + "\\Larchpost"};
}

} // namespace lp::platform
