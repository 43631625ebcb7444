#include "simulating_environment.h"
#include "platform/launcher.h"

#include <filesystem>
#include <limits>

namespace lp {

namespace {

using platform::EntryStatus;
using platform::PathLeadsTo;

// One spelling per path, so that "/out//a" and "/out/a" name the same foreseen entry.
std::string normalised(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

std::string folderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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

Placing SimulatingEnvironment::placing(const EntryStatus& source, const std::string& destination,
                                       bool replace) const {
    // Folders are never created or removed by the operations, so the disk tells.
    if (platform::ExamineEntry(folderPart(destination)).leadsTo != PathLeadsTo::Folder)
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
    // A copy reads what the path leads to, through links.
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
