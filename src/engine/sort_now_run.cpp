#include "counted.h"
#include "failure_reason.h"
#include "forwarding_environment.h"
#include "logging_environment.h"
#include "monitor_cycle.h"
#include "platform/file_identity.h"
#include "platform/local_time.h"
#include "platform/path_separator.h"
#include "rule_actions.h"
#include "sort_now.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace lp {

namespace {

// Looks at each previewed file again just before its first operation, under the log, so that a
// refusal is logged as the failed operation it stops: a file that is gone, changed since the
// preview or in use is refused, then and for every later operation on it.
class PreviewCheck : public ForwardingEnvironment {
public:
    PreviewCheck(CycleEnvironment& inner, const SortNowPreview& preview)
        : ForwardingEnvironment(inner), folder_(preview.folder.sharedir) {
        for (const auto& [name, identity] : preview.files)
            previewed_.emplace(preview.folder.sharedir + platform::kPathSeparator + name, identity);
        for (const std::string& name : preview.sortedSince)
            sortedSince_.insert(preview.folder.sharedir + platform::kPathSeparator + name);
    }

    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        if (!fit(source))
            return std::nullopt;
        return inner().copyFile(source, destination, clash);
    }
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        if (!fit(source))
            return std::nullopt;
        return inner().moveFile(source, destination, clash);
    }
    bool deleteFile(const std::string& path) override {
        return fit(path) && inner().deleteFile(path);
    }
    bool trashFile(const std::string& path) override {
        return fit(path) && inner().trashFile(path);
    }
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override {
        for (const std::string& argument : arguments)
            if (const std::string path = previewedIn(argument); !path.empty() && !fit(path))
                return false;
        return inner().launch(program, arguments);
    }
    std::string failureReason() override {
        return reason_.empty() ? inner().failureReason() : reason_;
    }

    bool refused(const std::string& path) const { return refusals_.contains(path); }

private:
    // The longest path of a previewed file that the argument holds, where "mfile" put it.
    std::string previewedIn(const std::string& argument) const {
        for (auto at = argument.find(folder_); at != std::string::npos;
             at = argument.find(folder_, at + 1))
            for (std::size_t end = argument.size(); end > at + folder_.size() + 1; --end)
                if (std::string path = argument.substr(at, end - at); previewed_.contains(path))
                    return path;
        return {};
    }
    // Whether the operation on path may go ahead; remembers why not.
    bool fit(const std::string& path) {
        reason_.clear();
        if (const auto refusal = refusals_.find(path); refusal != refusals_.end()) {
            reason_ = refusal->second;
            return false;
        }
        const auto previewed = previewed_.find(path);
        if (previewed == previewed_.end() || checked_.contains(path))
            return true; // a path a move made, or a file looked at already
        checked_.insert(path);
        const auto now = platform::IdentifyFile(path);
        if (previewed->second && !now)
            reason_ = kFileGone;
        else if (now != previewed->second)
            reason_ = kChangedSincePreview;
        else if (sortedSince_.contains(path))
            reason_ = kSortedSincePreview;
        else if (inner().fileInUse(path, false))
            reason_ = kFileInUse;
        if (reason_.empty())
            return true;
        refusals_.emplace(path, reason_);
        return false;
    }

    std::string folder_;
    std::unordered_map<std::string, std::optional<platform::FileIdentity>> previewed_;
    std::unordered_set<std::string> sortedSince_;
    std::unordered_set<std::string> checked_;
    std::unordered_map<std::string, std::string> refusals_;
    std::string reason_;
};

// Above the log: counts the operations and, once cancelled, lets through only those of files
// the rule under way has begun, so that none is left with its rule half carried out. What it
// holds back never reaches the log.
class CancellableRun : public ForwardingEnvironment {
public:
    CancellableRun(CycleEnvironment& inner, const SortNowProgress& progress, std::size_t total)
        : ForwardingEnvironment(inner), progress_(progress), total_(total) {}

    void beginRule() { begun_.clear(); }
    // The operations of the rules carried out so far come to at least lines: those that were
    // never made (the later operations of a refused file) count as done for the progress.
    void reachedAtLeast(std::size_t lines) {
        if (outcome_.cancelled || lines <= reached())
            return;
        skipped_ = lines - outcome_.done - outcome_.failed;
        report();
    }
    const SortNowOutcome& outcome() const { return outcome_; }
    void notePlaced(const std::string& folder, const std::vector<ActionOutcome>& outcomes) {
        for (const ActionOutcome& outcome : outcomes) {
            std::vector<std::string> names = outcome.copiesKnownAs;
            if (outcome.renamedTo)
                names.push_back(*outcome.renamedTo);
            for (const std::string& name : names) {
                std::string path = JoinPath(folder, name);
                if (const auto identity = platform::IdentifyFile(path))
                    outcome_.placed.emplace_back(std::move(path), *identity);
            }
        }
    }

    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        if (!mayAct(source))
            return std::nullopt;
        return counted(inner().copyFile(source, destination, clash));
    }
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        if (!mayAct(source))
            return std::nullopt;
        auto placed = counted(inner().moveFile(source, destination, clash));
        if (placed)
            begun_.insert(*placed); // its later operations are at its new place
        return placed;
    }
    bool deleteFile(const std::string& path) override {
        return mayAct(path) && counted(inner().deleteFile(path));
    }
    bool trashFile(const std::string& path) override {
        return mayAct(path) && counted(inner().trashFile(path));
    }
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override {
        if (stopping()) {
            // A launch for a begun file, or the one a rule makes once for the files it still
            // follows, all of them begun.
            const bool forBegun = std::ranges::any_of(arguments, [&](const std::string& argument) {
                return std::ranges::any_of(begun_, [&](const std::string& path) {
                    return argument.find(path) != std::string::npos;
                });
            });
            if (!forBegun && begun_.empty())
                return false;
        }
        return counted(inner().launch(program, arguments));
    }

private:
    bool stopping() {
        if (!outcome_.cancelled && progress_.cancelled && progress_.cancelled())
            outcome_.cancelled = true;
        return outcome_.cancelled;
    }
    bool mayAct(const std::string& path) {
        if (stopping() && !begun_.contains(path))
            return false;
        begun_.insert(path);
        return true;
    }
    template <typename Result> Result counted(Result result) {
        ++(result ? outcome_.done : outcome_.failed);
        report();
        return result;
    }
    std::size_t reached() const { return outcome_.done + outcome_.failed + skipped_; }
    void report() {
        if (progress_.moved)
            progress_.moved(std::min(reached(), total_), total_);
    }

    const SortNowProgress& progress_;
    std::size_t total_;
    SortNowOutcome outcome_;
    std::unordered_set<std::string> begun_; // the paths of the files the rule under way began
    std::size_t skipped_ = 0;               // operations never made, counted as done
};

// The file as the preview saw it, with the details its rules read (its size, and the last-write
// time that dates made from the file come from): a file that differs now is refused anyway.
platform::FolderEntry entryAsPreviewed(const SortNowPreview& preview, const std::string& file) {
    platform::FolderEntry entry;
    entry.name = file;
    const auto previewed = preview.files.find(file);
    if (previewed == preview.files.end() || !previewed->second)
        return entry;
    const platform::FileIdentity& identity = *previewed->second;
    entry.size = static_cast<std::int64_t>(identity.size);
    entry.date = platform::FileTimeToLocalDateTime(identity.modifiedNs / 1'000'000'000);
    entry.writeInstant = identity.modifiedNs;
    return entry;
}

} // namespace

SortNowOutcome CarryOutSortNow(const SortNowPreview& preview, const std::set<SortNowChoice>& chosen,
                               const SortingPolicy& policy, CycleEnvironment& environment,
                               ActivityLog& log, const SortNowProgress& progress) {
    const rServiceRules& folder = preview.folder;
    // The chosen files, each once, as the entries a turn's rules select from.
    CurrentFiles current;
    current.ofTree = folder.subfolders > 0;
    std::unordered_map<std::string, std::uint32_t> position;
    for (const auto& [file, rule] : chosen)
        if (!file.empty() &&
            position.try_emplace(file, static_cast<std::uint32_t>(current.entries.size())).second) {
            current.entries.emplace_back(entryAsPreviewed(preview, file));
        }
    const auto& rules = folder.rulelist.rules;
    // The operations the run counts on, per rule.
    std::vector<std::size_t> linesOfRule(rules.size(), 0);
    for (const SortNowLine& line : preview.lines)
        if ((chosen.contains({line.file, line.rule}) ||
             (line.file.empty() &&
              std::ranges::any_of(
                  chosen, [&](const SortNowChoice& c) { return c.second == line.rule; }))) &&
            line.rule >= 0 && static_cast<std::size_t>(line.rule) < rules.size())
            ++linesOfRule[static_cast<std::size_t>(line.rule)];
    std::size_t total = 0;
    for (const std::size_t lines : linesOfRule)
        total += lines;

    PreviewCheck checked(environment, preview);
    LoggingEnvironment logging(checked, log);
    CancellableRun run(logging, progress, total);
    std::size_t linesSoFar = 0;
    for (std::size_t r = 0; r < rules.size(); ++r) {
        linesSoFar += linesOfRule[r];
        Selection selection;
        for (const auto& [file, rule] : chosen) {
            const std::string path = folder.sharedir + platform::kPathSeparator + file;
            if (rule == static_cast<std::int32_t>(r) && !file.empty() && !checked.refused(path))
                selection.push_back(position.at(file));
        }
        if (!selection.empty()) {
            if (run.outcome().cancelled)
                return run.outcome();
            std::ranges::sort(selection);
            run.beginRule();
            run.actFor(ServiceName(folder), rules[r].rulename);
            const std::vector<ActionOutcome> outcomes =
                RunRuleActions(rules[r], selection, current, folder.sharedir, policy, run);
            run.notePlaced(folder.sharedir, outcomes);
        }
        run.reachedAtLeast(linesSoFar);
    }
    return run.outcome();
}

} // namespace lp
