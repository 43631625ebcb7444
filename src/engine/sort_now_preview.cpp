#include "counted.h"
#include "failure_reason.h"
#include "folder_tree.h"
#include "forwarding_environment.h"
#include "monitor_cycle.h"
#include "platform/path_separator.h"
#include "simulating_environment.h"
#include "sort_now.h"

#include <charconv>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace lp {

namespace {

// Lets every file count as free: a file in use is kept in the preview, to be marked as failing
// for that reason, rather than left out without a word.
class NothingInUse : public ForwardingEnvironment {
public:
    using ForwardingEnvironment::ForwardingEnvironment;
    bool fileInUse(const std::string&, bool) override { return false; }
};

// Notes each foreseen operation as a line, with the file of the folder it acts on: a file is
// followed from its place in the folder to wherever a move put it.
class LineRecorder : public ForwardingEnvironment {
public:
    LineRecorder(CycleEnvironment& inner, const rServiceRules& folder,
                 std::unordered_set<std::string> names, std::vector<SortNowLine>& lines)
        : ForwardingEnvironment(inner), folder_(folder), lines_(lines),
          names_(std::move(names)), folders_{folder.sharedir} {}

    // The turn names its rules by their positions (see PreviewSortNow), which tells rules of
    // the same name apart.
    void actFor(const std::string& folder, const std::string& rule) override {
        std::from_chars(rule.data(), rule.data() + rule.size(), rule_);
        ForwardingEnvironment::actFor(folder, rule);
    }
    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        auto placed = inner().copyFile(source, destination, clash);
        note("copy", fileAt(source), {source, placed.value_or(destination)}, placed.has_value());
        return placed;
    }
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        auto placed = inner().moveFile(source, destination, clash);
        const std::string file = fileAt(source);
        note("move", file, {source, placed.value_or(destination)}, placed.has_value());
        if (placed && !file.empty()) {
            followed_[*placed] = file;
            folders_.insert(placed->substr(0, placed->find_last_of(platform::kPathSeparators)));
        }
        return placed;
    }
    bool deleteFile(const std::string& path) override {
        return note("delete", fileAt(path), {path}, inner().deleteFile(path));
    }
    bool trashFile(const std::string& path) override {
        return note("trash", fileAt(path), {path}, inner().trashFile(path));
    }
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override {
        std::vector<std::string> values{program};
        values.insert(values.end(), arguments.begin(), arguments.end());
        return note("launch", fileIn(arguments), std::move(values),
                    inner().launch(program, arguments));
    }

    void operationRefused(std::string_view verb, const std::string& path,
                          std::string_view reason) override {
        note(std::string(verb), fileAt(path), {path}, false, std::string(reason));
        ForwardingEnvironment::operationRefused(verb, path, reason);
    }

private:
    // The folder's file that stands at path: at its place in the folder, or where a move took it.
    std::string fileAt(const std::string& path) const {
        if (const auto moved = followed_.find(path); moved != followed_.end())
            return moved->second;
        const std::string& folder = folder_.sharedir;
        if (path.size() > folder.size() + 1 && path.starts_with(folder) &&
            path[folder.size()] == platform::kPathSeparator &&
            (folder_.subfolders > 0 || // a file of a sub-folder, named by its path below
             path.find(platform::kPathSeparator, folder.size() + 1) == std::string::npos))
            return path.substr(folder.size() + 1);
        return {};
    }
    // The file whose path a launch's arguments hold, where "mfile" put it: a path in the folder
    // or in a folder a move took a file to, the longest that names a file, so that
    // "/in/a.mp3.txt" is never taken for "/in/a.mp3". None for a launch made once for a rule.
    std::string fileIn(const std::vector<std::string>& arguments) const {
        for (const std::string& argument : arguments)
            for (const std::string& folder : folders_)
                for (auto at = argument.find(folder); at != std::string::npos;
                     at = argument.find(folder, at + 1)) {
                    const std::size_t nameAt = at + folder.size() + 1;
                    if (nameAt >= argument.size() ||
                        argument[nameAt - 1] != platform::kPathSeparator)
                        continue;
                    for (std::size_t end = argument.size(); end > nameAt; --end) {
                        const std::string path = argument.substr(at, end - at);
                        if (const auto moved = followed_.find(path); moved != followed_.end())
                            return moved->second;
                        if (folder == folder_.sharedir && names_.contains(path.substr(nameAt - at)))
                            return path.substr(nameAt - at);
                    }
                }
        return {};
    }
    bool note(std::string action, std::string file, std::vector<std::string> values, bool done,
              std::optional<std::string> reason = std::nullopt) {
        const RuleRec& rule = folder_.rulelist.rules[static_cast<std::size_t>(rule_)];
        if (!done && !reason)
            reason = inner().failureReason();
        lines_.push_back({std::move(file), rule_, rule.rulename, std::move(action),
                          std::move(values), !done, done ? std::string() : std::move(*reason)});
        return done;
    }

    const rServiceRules& folder_;
    std::vector<SortNowLine>& lines_;
    std::int32_t rule_ = 0;
    std::unordered_set<std::string> names_;                 // the folder's entries
    std::unordered_map<std::string, std::string> followed_; // where a move took a file -> name
    std::set<std::string> folders_; // the folder, and those moves took its files to
};

} // namespace

SortNowPreview PreviewSortNow(const rServiceRules& folder, const SortingPolicy& policy,
                              CycleEnvironment& environment, const TrashMover& foreseeTrash) {
    SortNowPreview preview;
    preview.folder = folder;
    preview.folder.retries.clear();
    preview.folder.rulelist.rules.resize(
        Counted(folder.rulelist.rules, folder.rulelist.rulecnt).size());
    // The turn runs on a copy in which every file is new and the folder on; its rules carry
    // their positions as names, which is all the lines need to find them again.
    rServiceRules turn = preview.folder;
    turn.enabled = true;
    turn.knownready = true;
    turn.knowncnt = 0;
    turn.knownfiles.clear();
    turn.knownLevels.reset();
    turn.knownExclusions.reset();
    for (std::size_t i = 0; i < turn.rulelist.rules.size(); ++i)
        turn.rulelist.rules[i].rulename = std::to_string(i);
    // The folder's files by their names, those of its sub-folders by their paths below it: a
    // launch's arguments name the file they are for.
    std::vector<std::string> entries;
    std::vector<platform::FolderEntry> tree;
    std::vector<std::string> unlisted;
    if (folder.subfolders > 0 ? !ListTree(ReachOf(folder), environment, tree, unlisted)
                              : !environment.listNamesInto(folder.sharedir, entries)) {
        preview.listed = false;
        return preview;
    }
    for (platform::FolderEntry& entry : tree)
        entries.push_back(std::move(entry.name));
    NothingInUse everyFileFree(environment);
    SimulatingEnvironment simulating(everyFileFree, foreseeTrash);
    LineRecorder recorder(simulating, preview.folder,
                          std::unordered_set<std::string>(entries.begin(), entries.end()),
                          preview.lines);
    RunServiceTurn(turn, false, policy, recorder);

    for (SortNowLine& line : preview.lines) {
        if (line.file.empty())
            continue;
        const std::string path = folder.sharedir + platform::kPathSeparator + line.file;
        auto [known, added] = preview.files.try_emplace(line.file);
        if (added)
            known->second = platform::IdentifyFile(path);
        if (!line.failing && environment.fileInUse(path, false)) {
            line.failing = true;
            line.reason = kFileInUse;
        }
    }
    return preview;
}

std::vector<SeenFile> PreviewedFiles(const SortNowPreview& preview) {
    std::vector<SeenFile> seen;
    for (const auto& [name, identity] : preview.files)
        if (identity)
            seen.emplace_back(preview.folder.sharedir + platform::kPathSeparator + name, *identity);
    return seen;
}

std::set<SortNowChoice> UnfailingChoices(const SortNowPreview& preview) {
    std::set<SortNowChoice> chosen, failing;
    for (const SortNowLine& line : preview.lines)
        (line.failing ? failing : chosen).insert({line.file, line.rule});
    std::erase_if(chosen, [&](const SortNowChoice& choice) { return failing.contains(choice); });
    return chosen;
}

} // namespace lp
