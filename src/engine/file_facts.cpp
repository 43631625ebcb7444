#include "file_facts.h"
#include "rule_actions.h"

#include <iterator>

namespace lp {

std::optional<std::string> ContentTypeMemory::typeOf(const std::string& path,
                                                     CycleEnvironment& environment) {
    // Only the entry's status is asked first; the content is read when that version is new.
    const std::optional<platform::FileIdentity> version = environment.regularFileVersion(path);
    if (!version)
        return std::nullopt;
    const auto found = known_.find(FileKey{version->device, version->inode});
    if (found != known_.end() && found->second.version == *version) {
        found->second.askedThisTurn = true;
        return found->second.mime;
    }
    std::optional<platform::ContentType> read = environment.readContentType(path);
    if (!read)
        return std::nullopt;
    // Kept under the version that was read, which a file written meanwhile tells apart.
    KnownType& entry = known_[FileKey{read->version.device, read->version.inode}];
    entry = KnownType{read->version, read->mime, true};
    return std::move(read->mime);
}

void ContentTypeMemory::endTurn(std::size_t entries) {
    if (known_.size() > entries)
        std::erase_if(known_, [](const auto& item) { return !item.second.askedThisTurn; });
    for (auto& [key, type] : known_)
        type.askedThisTurn = false;
}

std::optional<std::string> FolderFileFacts::contentType(const platform::FolderEntry& entry) {
    return types_.typeOf(JoinPath(folder_, entry.name), environment_);
}

std::optional<std::string> FolderFileFacts::downloadOrigin(const platform::FolderEntry& entry) {
    return environment_.downloadOrigin(JoinPath(folder_, entry.name));
}

std::optional<std::string> ReadingFileFacts::contentType(const platform::FolderEntry& entry) {
    std::optional<platform::ContentType> read =
        platform::ReadContentType(JoinPath(folder_, entry.name));
    return read ? std::optional<std::string>(std::move(read->mime)) : std::nullopt;
}

std::optional<std::string> ReadingFileFacts::downloadOrigin(const platform::FolderEntry& entry) {
    return platform::DownloadOrigin(JoinPath(folder_, entry.name));
}

} // namespace lp
