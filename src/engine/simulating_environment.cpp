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
bool SimulatingEnvironment::listFolderInto(const std::string& folder, bool withDetails,
                                           std::vector<platform::FolderEntry>& entries) {
    return inner_.listFolderInto(folder, withDetails, entries);
}
bool SimulatingEnvironment::listNamesInto(const std::string& folder,
                                          std::vector<std::string>& names) {
    return inner_.listNamesInto(folder, names);
}
platform::FolderObserver* SimulatingEnvironment::folderObserver() {
    return inner_.folderObserver();
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

Placing SimulatingEnvironment::placing(const EntryStatus& source, const std::string& destination,
                                       bool replace) const {
    // Folders are never created or removed by the operations, so the disk tells.
    if (receivingFolder(destination).leadsTo != PathLeadsTo::Folder)
        return Placing::Failed;
    const EntryStatus target = at(destination);
    if (source.sameFileAs(target))
        return Placing::Failed;
    if (!replace && target.exists)
        return Placing::NameTaken;
    return target.isFolder ? Placing::Failed : Placing::Done;
}

std::optional<std::string> SimulatingEnvironment::copyFile(const std::string& source,
                                                           const std::string& destination,
                                                           NameClash clash) {
    const EntryStatus from = at(source);
    // A copy reads what the path leads to, through links; only a file is ever read.
    if (from.leadsTo != PathLeadsTo::File)
        return std::nullopt;
    return PlaceAsPolicySays(destination, clash, [&](const std::string& path, bool replace) {
        const Placing foreseen = placing(from, path, replace);
        if (foreseen == Placing::Done) {
            EntryStatus copy;
            copy.exists = true;
            copy.leadsTo = PathLeadsTo::File;
            copy.device = std::numeric_limits<std::uint64_t>::max(); // no device of the disk's
            copy.inode = ++copiesMade_;
            foresee(path, copy);
        }
        return foreseen;
    });
}

std::optional<std::string> SimulatingEnvironment::moveFile(const std::string& source,
                                                           const std::string& destination,
                                                           NameClash clash) {
    const EntryStatus from = at(source);
    if (!takeable(from))
        return std::nullopt;
    // An entry that is never opened cannot be copied across, so only a rename moves it. (Being
    // no link, it is what its path reaches; and never changing file system, its foreseen status
    // stays right.)
    if (from.isSpecial && from.volume != receivingFolder(destination).volume)
        return std::nullopt;
    return PlaceAsPolicySays(destination, clash, [&](const std::string& path, bool replace) {
        const Placing foreseen = placing(from, path, replace);
        if (foreseen == Placing::Done) {
            foresee(path, from);
            foresee(source, EntryStatus{});
        }
        return foreseen;
    });
}

bool SimulatingEnvironment::deleteFile(const std::string& path) {
    if (!takeable(at(path)))
        return false;
    foresee(path, EntryStatus{});
    return true;
}

// Whether the trash takes the file cannot be foreseen; it counts as a delete.
bool SimulatingEnvironment::trashFile(const std::string& path) {
    return deleteFile(path);
}

void SimulatingEnvironment::actFor(const std::string& folder, const std::string& rule) {
    inner_.actFor(folder, rule);
}

bool SimulatingEnvironment::launch(const std::string& program, const std::vector<std::string>&) {
    return platform::ProgramStartable(program);
}

} // namespace lp
