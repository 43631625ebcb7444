#include "simulating_environment.h"
#include "platform/launcher.h"
#include "platform/path_separator.h"
#include "platform/utf8_path.h"

#include <filesystem>
#include <limits>

namespace lp {

namespace {

using platform::EntryStatus;
using platform::PathLeadsTo;

// One spelling per path, so that "/out//a" and "/out/a" name the same foreseen entry.
std::string normalised(const std::string& path) {
    const std::u8string text = platform::Utf8Path(path).lexically_normal().u8string();
    return std::string(text.begin(), text.end());
}

std::string folderPart(const std::string& path) {
    const auto slash = path.rfind(platform::kPathSeparator);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string(1, platform::kPathSeparator) : path.substr(0, slash);
}

// The folder that an operation would put destination into. Folders are never created or removed
// by the operations, so the disk tells.
EntryStatus receivingFolder(const std::string& destination) {
    return platform::ExamineEntry(folderPart(destination));
}

// A move or delete takes the entry itself, a link included; a folder never.
bool takeable(const EntryStatus& source) {
    return source.exists && !source.isFolder;
}

} // namespace

SimulatingEnvironment::SimulatingEnvironment(CycleEnvironment& inner) : inner_(inner) {}

std::optional<std::vector<platform::FolderEntry>>
SimulatingEnvironment::listFolder(const std::string& folder, bool withDetails) {
    return inner_.listFolder(folder, withDetails);
}
bool SimulatingEnvironment::fileInUse(const std::string& path) {
    return inner_.fileInUse(path);
}
double SimulatingEnvironment::today() {
    return inner_.today();
}

EntryStatus SimulatingEnvironment::at(const std::string& path) const {
    if (const auto found = foreseen_.find(normalised(path)); found != foreseen_.end())
        return found->second;
    return platform::ExamineEntry(path);
}

void SimulatingEnvironment::foresee(const std::string& path, const EntryStatus& status) {
    foreseen_.insert_or_assign(normalised(path), status);
}

bool SimulatingEnvironment::transferFails(const EntryStatus& source, const EntryStatus& folder,
                                          const std::string& destination) const {
    if (folder.leadsTo != PathLeadsTo::Folder)
        return true;
    const EntryStatus target = at(destination);
    return target.isFolder || source.sameFileAs(target);
}

bool SimulatingEnvironment::copyFile(const std::string& source, const std::string& destination) {
    const EntryStatus from = at(source);
    // A copy reads what the path leads to, through links; only a file is ever read.
    if (from.leadsTo != PathLeadsTo::File ||
        transferFails(from, receivingFolder(destination), destination))
        return false;
    EntryStatus copy;
    copy.exists = true;
    copy.leadsTo = PathLeadsTo::File;
    copy.device = std::numeric_limits<std::uint64_t>::max(); // no device of the disk's
    copy.inode = ++copiesMade_;
    foresee(destination, copy);
    return true;
}

bool SimulatingEnvironment::moveFile(const std::string& source, const std::string& destination) {
    const EntryStatus from = at(source);
    const EntryStatus folder = receivingFolder(destination);
    if (!takeable(from) || transferFails(from, folder, destination))
        return false;
    // An entry that is never opened cannot be copied across, so only a rename moves it. (Being
    // no link, it is what its path reaches; and never changing file system, its foreseen status
    // stays right.)
    if (from.isSpecial && from.volume != folder.volume)
        return false;
    foresee(destination, from);
    foresee(source, EntryStatus{});
    return true;
}

bool SimulatingEnvironment::deleteFile(const std::string& path) {
    if (!takeable(at(path)))
        return false;
    foresee(path, EntryStatus{});
    return true;
}

bool SimulatingEnvironment::launch(const std::string& program, const std::vector<std::string>&) {
    return platform::ProgramStartable(program);
}

} // namespace lp
