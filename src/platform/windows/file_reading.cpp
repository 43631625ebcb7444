#include "platform/file_reading.h"

#include "windows_support.h"

#include <algorithm>

namespace lp::platform {

bool ReadFileStart(const std::string& path, std::size_t limit, std::string& content,
                   bool& readFailed) {
    const std::wstring wide = windows::toWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        readFailed = true; // there, but nothing in it can be read
        return false;
    }
    const windows::Handle file(::CreateFileW(
        wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    const std::size_t start = content.size();
    char buffer[65536];
    while (content.size() - start < limit) {
        const DWORD wanted =
            static_cast<DWORD>(std::min(sizeof buffer, limit - (content.size() - start)));
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, wanted, &got, nullptr)) {
            readFailed = true;
            if (content.size() == start)
                return false;
            break;
        }
        if (got == 0)
            break;
        content.append(buffer, got);
    }
    return true;
}

} // namespace lp::platform
