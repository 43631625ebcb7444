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

namespace {

// The file at path opened to read, never through a link.
HANDLE openToRead(const std::string& path) {
    return ::CreateFileW(windows::toWide(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool isPlainFile(const windows::Handle& file) {
    BY_HANDLE_FILE_INFORMATION information{};
    return file.valid() && ::GetFileType(file.get()) == FILE_TYPE_DISK &&
           ::GetFileInformationByHandle(file.get(), &information) &&
           (information.dwFileAttributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// Reads as much of count bytes as the file still holds; false on a read error.
bool readFully(HANDLE file, char* buffer, DWORD count, DWORD& got) {
    got = 0;
    while (got < count) {
        DWORD step = 0;
        if (!::ReadFile(file, buffer + got, count - got, &step, nullptr))
            return false;
        if (step == 0)
            break;
        got += step;
    }
    return true;
}

} // namespace

bool SameFileBytes(const std::string& first, const std::string& second) {
    const windows::Handle a(openToRead(first));
    const windows::Handle b(openToRead(second));
    if (!isPlainFile(a) || !isPlainFile(b))
        return false;
    constexpr DWORD kChunk = DWORD{1} << 16;
    std::string left(kChunk, '\0'), right(kChunk, '\0');
    for (;;) {
        DWORD gotLeft = 0, gotRight = 0;
        if (!readFully(a.get(), left.data(), kChunk, gotLeft) ||
            !readFully(b.get(), right.data(), kChunk, gotRight) || gotLeft != gotRight ||
            !std::equal(left.begin(), left.begin() + gotLeft, right.begin()))
            return false;
        if (gotLeft == 0)
            return true;
    }
}

} // namespace lp::platform
