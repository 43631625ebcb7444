#pragma once
// What a rule may learn about a file beyond its listing: the type its content shows, and the
// address it was downloaded from. On Linux the type comes from the magic database (libmagic) and
// the address from the "user.xdg.origin.url" attribute that browsers and download tools write; on
// Windows the type is told by the extension and the address from the "Zone.Identifier" stream.

#include "platform/file_identity.h"

#include <optional>
#include <string>

namespace lp::platform {

// The type of one version of a file's content.
struct ContentType {
    FileIdentity version; // of the file as it was read (following a link)
    std::string mime;     // "image/png", lower case
};

// The version of the regular file at path, a link followed, without opening it; nothing for
// anything else (a folder, a pipe, a device, a socket) and for what cannot be examined.
std::optional<FileIdentity> RegularFileVersion(const std::string& path);

// Reads the head of the regular file at path and tells the type its content shows. Never opens a
// pipe, device or socket, and never waits for one. Nothing when the file cannot be read or its
// type cannot be told.
std::optional<ContentType> ReadContentType(const std::string& path);

// The address the file at path was downloaded from, as it carries it; nothing when it carries
// none or it cannot be read.
std::optional<std::string> DownloadOrigin(const std::string& path);

} // namespace lp::platform
