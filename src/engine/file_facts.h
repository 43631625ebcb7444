#pragma once
// What the conditions that look beyond a folder's listing learn about its files: the type the
// content shows and the address a file was downloaded from. A file's content is read once per
// version of it (device, inode, size, last-write time): the types stay known from one cycle to
// the next, so that an unchanged folder reads nothing.

#include "cycle_environment.h"
#include "platform/file_content.h"
#include "platform/folder_listing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace lp {

// Asked per entry of a turn's current list; a file that cannot be read has neither.
class FileFacts {
public:
    virtual ~FileFacts() = default;
    // The MIME type of the content ("image/png"), lower case.
    virtual std::optional<std::string> contentType(const platform::FolderEntry& entry) = 0;
    virtual std::optional<std::string> downloadOrigin(const platform::FolderEntry& entry) = 0;
};

// The content types read so far, by file: what a service's cycle memory keeps.
class ContentTypeMemory {
public:
    // The type of the regular file at path, its content read only when this version of the file
    // has not been read before.
    std::optional<std::string> typeOf(const std::string& path, CycleEnvironment& environment);
    // Ends a turn over a folder of entries entries: when the memory holds more files than that,
    // it forgets those not asked about in the turn, so that it never holds much more than the
    // folder, while a turn that asked for no type (nothing new came) forgets nothing.
    void endTurn(std::size_t entries);

private:
    struct FileKey {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const FileKey&) const = default;
    };
    struct FileKeyHash {
        std::size_t operator()(const FileKey& key) const {
            return std::hash<std::uint64_t>()(key.inode) ^
                   (std::hash<std::uint64_t>()(key.device) << 1);
        }
    };
    struct KnownType {
        platform::FileIdentity version;
        std::string mime;
        bool askedThisTurn = true;
    };
    std::unordered_map<FileKey, KnownType, FileKeyHash> known_;
};

// The facts of the files of one folder, read through the cycle's environment.
class FolderFileFacts : public FileFacts {
public:
    FolderFileFacts(const std::string& folder, CycleEnvironment& environment,
                    ContentTypeMemory& types)
        : folder_(folder), environment_(environment), types_(types) {}
    std::optional<std::string> contentType(const platform::FolderEntry& entry) override;
    std::optional<std::string> downloadOrigin(const platform::FolderEntry& entry) override;

private:
    const std::string& folder_;
    CycleEnvironment& environment_;
    ContentTypeMemory& types_;
};

// The facts of the files of one folder, read straight from it each time they are asked: what a
// preview that looks once uses.
class ReadingFileFacts : public FileFacts {
public:
    explicit ReadingFileFacts(std::string folder) : folder_(std::move(folder)) {}
    std::optional<std::string> contentType(const platform::FolderEntry& entry) override;
    std::optional<std::string> downloadOrigin(const platform::FolderEntry& entry) override;

private:
    std::string folder_;
};

} // namespace lp
