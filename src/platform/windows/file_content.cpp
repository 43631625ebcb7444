#include "platform/file_content.h"

#include "windows_support.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace lp::platform {

namespace {

struct ExtensionType {
    std::string_view extension;
    std::string_view mime;
};

// Windows keeps no magic database: the type is told by the extension, lower case, from the
// common kinds of each category a rule can name.
constexpr std::array kTypesByExtension{
    ExtensionType{"7z", "application/x-7z-compressed"},
    ExtensionType{"aac", "audio/aac"},
    ExtensionType{"avi", "video/x-msvideo"},
    ExtensionType{"bmp", "image/bmp"},
    ExtensionType{"bz2", "application/x-bzip2"},
    ExtensionType{"csv", "text/csv"},
    ExtensionType{"doc", "application/msword"},
    ExtensionType{"docx",
                  "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
    ExtensionType{"flac", "audio/flac"},
    ExtensionType{"gif", "image/gif"},
    ExtensionType{"gz", "application/gzip"},
    ExtensionType{"heic", "image/heic"},
    ExtensionType{"htm", "text/html"},
    ExtensionType{"html", "text/html"},
    ExtensionType{"jpeg", "image/jpeg"},
    ExtensionType{"jpg", "image/jpeg"},
    ExtensionType{"json", "application/json"},
    ExtensionType{"m4a", "audio/mp4"},
    ExtensionType{"md", "text/markdown"},
    ExtensionType{"mkv", "video/x-matroska"},
    ExtensionType{"mov", "video/quicktime"},
    ExtensionType{"mp3", "audio/mpeg"},
    ExtensionType{"mp4", "video/mp4"},
    ExtensionType{"odp", "application/vnd.oasis.opendocument.presentation"},
    ExtensionType{"ods", "application/vnd.oasis.opendocument.spreadsheet"},
    ExtensionType{"odt", "application/vnd.oasis.opendocument.text"},
    ExtensionType{"ogg", "audio/ogg"},
    ExtensionType{"opus", "audio/ogg"},
    ExtensionType{"pdf", "application/pdf"},
    ExtensionType{"png", "image/png"},
    ExtensionType{"ppt", "application/vnd.ms-powerpoint"},
    ExtensionType{"pptx",
                  "application/vnd.openxmlformats-officedocument.presentationml.presentation"},
    ExtensionType{"rar", "application/vnd.rar"},
    ExtensionType{"rtf", "text/rtf"},
    ExtensionType{"svg", "image/svg+xml"},
    ExtensionType{"tar", "application/x-tar"},
    ExtensionType{"tif", "image/tiff"},
    ExtensionType{"tiff", "image/tiff"},
    ExtensionType{"txt", "text/plain"},
    ExtensionType{"wav", "audio/x-wav"},
    ExtensionType{"webm", "video/webm"},
    ExtensionType{"webp", "image/webp"},
    ExtensionType{"wmv", "video/x-ms-wmv"},
    ExtensionType{"xls", "application/vnd.ms-excel"},
    ExtensionType{"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
    ExtensionType{"xml", "text/xml"},
    ExtensionType{"xz", "application/x-xz"},
    ExtensionType{"zip", "application/zip"},
};

std::string lowerExtension(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return {};
    std::string extension = path.substr(dot + 1);
    std::ranges::transform(extension, extension.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    });
    return extension;
}

} // namespace

std::optional<FileIdentity> RegularFileVersion(const std::string& path) {
    return IdentifyFile(path);
}

std::optional<ContentType> ReadContentType(const std::string& path) {
    const std::optional<FileIdentity> version = IdentifyFile(path);
    if (!version)
        return std::nullopt;
    const std::string extension = lowerExtension(path);
    const auto known = std::ranges::find(kTypesByExtension, std::string_view(extension),
                                         &ExtensionType::extension);
    if (known == kTypesByExtension.end())
        return ContentType{*version, "application/octet-stream"};
    return ContentType{*version, std::string(known->mime)};
}

std::optional<std::string> DownloadOrigin(const std::string& path) {
    // Browsers write the address into the file's "Zone.Identifier" stream as "HostUrl=...".
    const windows::Handle stream(
        ::CreateFileW(windows::toWide(path + ":Zone.Identifier").c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, 0, nullptr));
    if (!stream.valid())
        return std::nullopt;
    std::string text(16 * 1024, '\0');
    DWORD got = 0;
    if (!::ReadFile(stream.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        return std::nullopt;
    text.resize(got);
    constexpr std::string_view kKey = "HostUrl=";
    std::string_view rest(text);
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.starts_with(kKey))
            return std::string(line.substr(kKey.size()));
    }
    return std::nullopt;
}

} // namespace lp::platform
