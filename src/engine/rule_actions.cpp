#include "rule_actions.h"
#include "counted.h"
#include "failure_reason.h"
#include "folder_tree.h"
#include "globals/path_template.h"
#include "launch_arguments.h"
#include "name_clash.h"
#include "platform/entry_status.h"
#include "platform/file_identity.h"
#include "platform/held_folder.h"
#include "platform/parameter_words.h"
#include "platform/path_separator.h"
#include "platform/utf8_path.h"
#include "same_contents.h"

#include <algorithm>
#include <deque>
#include <span>
#include <unordered_set>
#include <variant>

namespace lp {

namespace {

// Where one selected file is while the rule's actions run.
struct FollowedFile {
    const std::string* folder; // where it is now, or was when it was deleted
    bool passedOver = false;   // an operation on it failed: the rule leaves it alone from then on
    bool deleted = false;
    bool failed = false;
    std::string renamed = {}; // its name since a move had to give it another; empty before
    std::int32_t joinsAt = 0; // a retry: the action it is taken up at, those before were done
    bool retried = false;
    std::int32_t failedAt = -1; // the action that failed on it
    std::int32_t copiedAt = -1; // the last copy made of it
    // Moved last into a folder made from it below the watched folder itself, which a walk of
    // the folder's sub-folders reaches (destinations below a fixed part inside are left out).
    bool movedIntoTree = false;
    // Moved last into a folder whose name holds a value that had to be cleaned or cut: "replace"
    // never takes the place of what stands there under the name the rule makes.
    bool inCleanedFolder = false;
    // The copies made of it in folders made from it below the watched folder itself, by their
    // paths below it.
    std::vector<std::string> copiesInTree = {};
    // Moved last into folders made from it: the fixed folder and the made ones below it ("a/b"),
    // held for each later action on it. Empty after a move anywhere else.
    std::string madeTop = {};
    std::string madeBelow = {};
    // What the file was where a move or rename put it, when an action follows: that action
    // finds the very file there, or acts on nothing.
    std::optional<platform::FileIdentity> placedAs = std::nullopt;

    // The failure is all there is to report: nothing more of the rule may act on the file, or on
    // whatever stands at its place or in a destination, once the rule's plan for it broke. A
    // copy that failed must not be followed by the delete it was to make safe, a move that
    // failed not by a delete of an older file of the same name in the destination, a program
    // that did not start not by removing what it was to handle. A deleted file stays gone, as
    // it was: what fails on it afterwards fails because it is gone.
    void fail(std::int32_t action) {
        failed = true;
        passedOver = !deleted;
        if (failedAt < 0)
            failedAt = action;
    }

    // The file lies where the rule puts it already (the rule's own earlier work, or the very
    // place an action names): the whole rule leaves it as it is. A delete or a program that was
    // to follow its sorting must not take the sorted file itself.
    void settle() { passedOver = true; }
};

// A path built in one buffer that every file of a rule reuses.
class PathBuffer {
public:
    const std::string& operator()(const std::string& folder, std::string_view name) {
        path_.assign(folder).append(1, platform::kPathSeparator).append(name);
        return path_;
    }

private:
    std::string path_;
};

// The word the log gives an action.
std::string_view verbOf(std::uint8_t action) {
    switch (action) {
    case rMove:
        return "move";
    case rCopy:
        return "copy";
    case rDelete:
        return "delete";
    case rRename:
        return "rename";
    default:
        return "launch";
    }
}

// The files of a folder reached through a held folder's path for as long as it lives, also
// when what acts on them throws: the held path means nothing once the folder is let go.
class ReachedThrough {
public:
    ReachedThrough(CycleEnvironment& environment, std::string folder, const std::string& heldPath)
        : environment_(environment), folder_(std::move(folder)) {
        environment_.reachThrough(folder_, heldPath);
    }
    ~ReachedThrough() { environment_.reachThrough(folder_, {}); }
    ReachedThrough(const ReachedThrough&) = delete;
    ReachedThrough& operator=(const ReachedThrough&) = delete;

private:
    CycleEnvironment& environment_;
    std::string folder_;
};

class ActionStep {
public:
    ActionStep(const RuleRec& rule, const Selection& selection, const CurrentFiles& current,
               const std::string& sharedir, const SortingPolicy& policy,
               CycleEnvironment& environment,
               const std::vector<std::optional<std::int32_t>>& retries,
               const std::vector<filerec>& renamedBefore)
        : actions_(Counted(rule.actions, rule.actioncnt)), takesEveryTurn_(rule.mcond != NewFile),
          selection_(selection), current_(current), sharedir_(sharedir), policy_(policy),
          environment_(environment), renamedBefore_(renamedBefore),
          files_(selection.size(), FollowedFile{&sharedir}) {
        for (std::size_t i = 0; i < retries.size() && i < files_.size(); ++i)
            if (retries[i]) {
                files_[i].retried = true;
                files_[i].joinsAt = *retries[i];
            }
    }

    // The position of the action about to run.
    void at(std::int32_t action) { action_ = action; }

    // Readies the action's destination: parsed once, when it holds placeholders.
    void prepare(const ruleactionrec& action) {
        template_.reset();
        templateRefused_ = false;
        makesInTree_ = false;
        if (!action.templated)
            return;
        auto parsed = PathTemplate::Parse(action.raction == rMove ? action.racmove.filepath
                                                                  : action.raccopy.filepath,
                                          PathTemplate::Kind::Destination);
        // The reader and the editor keep templates that do not parse out of the rule; one that
        // gets here all the same fails its files rather than go anywhere else.
        if (auto* destination = std::get_if<PathTemplate>(&parsed)) {
            template_ = std::move(*destination);
            fixedFolder_ = InSpellingOf(sharedir_, template_->fixedFolder());
            makesInTree_ = !PathBelowTop(sharedir_, fixedFolder_);
        } else {
            templateRefused_ = true;
        }
    }

    void move(const std::string& destination) {
        forEachFollowed([&](FollowedFile& file, const std::string& name) {
            if (placedByRuleBefore(file))
                return file.settle();
            const std::string* folder = folderFor(file, name, destination);
            if (!folder)
                return file.fail(action_);
            const std::optional<platform::HeldFolder> held = holdMadeFolder(*folder);
            if (!held)
                return failUnheld(file, name);
            const std::optional<ReachedThrough> into = reachedThrough(*folder, *held);
            // A file of a sub-folder keeps its own name at the destination.
            const std::string& target = target_(*folder, OwnNameOf(name));
            const std::string& source = source_(*file.folder, name);
            if (liesAt(source, target))
                return file.settle();
            const auto placed = environment_.moveFile(source, target, nameClash(source, target));
            if (placed) {
                left(source, *placed);
                file.folder = folder;
                // A folder made from the file is held again for each later action on it.
                file.madeTop = template_ && !below_.empty() ? fixedFolder_ : std::string();
                file.madeBelow = file.madeTop.empty() ? std::string() : joined(below_);
                file.movedIntoTree = makesInTree_;
                file.inCleanedFolder = folded_;
                // The later actions find the file under the name it has there: its own name
                // without its sub-folder, or the one "Keep both" gave it.
                if (*placed != target || OwnNameOf(name) != name)
                    file.renamed = placed->substr(platform::NameStartIn(*placed));
                notePlaced(file, *placed);
                return;
            }
            environment_.removeMadeFolders(made_);
            failAfterCopy(file);
        });
    }

    void copy(const std::string& destination) {
        const auto makeCopy = [&](FollowedFile& file, const std::string& name) {
            if (placedByRuleBefore(file))
                return file.settle();
            const std::string* folder = folderFor(file, name, destination);
            if (!folder)
                return file.fail(action_);
            const std::optional<platform::HeldFolder> held = holdMadeFolder(*folder);
            if (!held)
                return failUnheld(file, name);
            const std::optional<ReachedThrough> into = reachedThrough(*folder, *held);
            const std::string& source = source_(*file.folder, name);
            const std::string& target = target_(*folder, OwnNameOf(name));
            if (liesAt(source, target))
                return file.settle();
            // A copy a retry finds made already is not made again, not even as a numbered one;
            // nor is one that a rule taking every file at each turn made at an earlier turn, or
            // each turn would add a copy of every file until the disk is full.
            if ((file.retried || takesEveryTurn_) && environment_.copyStands(source, target))
                return;
            const auto placed = environment_.copyFile(source, target, nameClash(source, target));
            if (!placed) {
                environment_.removeMadeFolders(made_);
                return file.fail(action_);
            }
            placedHere_.insert(*placed);
            file.copiedAt = action_;
            // A copy that a walk of the folder's sub-folders reaches is no new file there.
            if (makesInTree_)
                if (auto below = PathBelowTop(sharedir_, *folder))
                    file.copiesInTree.push_back(*below + '/' +
                                                placed->substr(platform::NameStartIn(*placed)));
        };
        forEachFollowed(makeCopy);
        // A retry taken up after its copy finds the copy still there before a later action
        // moves or deletes the file: a copy removed or replaced meanwhile is made again, or
        // the file would end up nowhere.
        for (std::size_t i = 0; i < files_.size(); ++i)
            if (FollowedFile& file = files_[i];
                file.retried && !file.passedOver && file.joinsAt > action_ && takesAwayLater())
                actOnFollowed(i, makeCopy);
    }

    // Gives each file the name the template makes from it, in the folder it is in now.
    void rename(const racrenamerec& rename) {
        const auto parsed = PathTemplate::Parse(rename.newname, PathTemplate::Kind::Name);
        const auto* names = std::get_if<PathTemplate>(&parsed);
        forEachFollowed([&](FollowedFile& file, const std::string& name) {
            if (placedByRuleBefore(file))
                return file.settle();
            std::optional<std::string> newName =
                names ? names->name(factsOf(file, name, *names), &folded_) : std::nullopt;
            // A name whose part before its extension came out empty would hide the file
            // ("{folder}.{ext}" makes ".txt" of a file at the top): it is no name made from it.
            if (newName && newName->starts_with('.') && !rename.newname.starts_with('.') &&
                !OwnNameOf(name).starts_with('.'))
                newName.reset();
            folded_ = folded_ || file.inCleanedFolder;
            if (!newName) {
                // A template that does not parse is kept out of the rule by the reader and the
                // editor; one that gets here all the same renames nothing.
                environment_.operationRefused("rename", source_(*file.folder, name),
                                              names ? kNoNewName
                                                    : std::get<TemplateRefusal>(parsed).reason);
                return file.fail(action_);
            }
            // A file of a sub-folder is renamed where it lies.
            const std::string_view subFolder = SubFolderOf(name);
            const std::string newPath =
                subFolder.empty() ? *newName : std::string(subFolder).append(1, '/') + *newName;
            if (newPath == name) // already so named: nothing to do, and nothing failed
                return;
            const std::string target = JoinPath(*file.folder, newPath);
            const std::string source = source_(*file.folder, name);
            const NameClash clash = nameClash(source, target);
            if (clash == NameClash::KeepBoth && numberedAs(source, target))
                return;
            const auto placed = environment_.moveFile(source, target, clash);
            if (!placed)
                return failAfterCopy(file);
            left(source, *placed);
            const std::string placedName = placed->substr(platform::NameStartIn(*placed));
            file.renamed =
                subFolder.empty() ? placedName : std::string(subFolder).append(1, '/') + placedName;
            notePlaced(file, *placed);
        });
    }

    void remove() {
        forEachFollowed([&](FollowedFile& file, const std::string& name) {
            const std::string& path = source_(*file.folder, name);
            if (policy_.deleteToTrash ? environment_.trashFile(path)
                                      : environment_.deleteFile(path))
                file.deleted = true;
            else
                failAfterCopy(file);
        });
    }

    // A file written to since it was copied: its copy lacks what was added, so a retry makes
    // the copy again before it moves or deletes the file.
    void failAfterCopy(FollowedFile& file) {
        if (file.copiedAt >= 0 && environment_.failureReason() == kChangedSinceCopy)
            file.fail(file.copiedAt);
        else
            file.fail(action_);
    }

    void launch(const raclaunchrec& launch) {
        // The text is split before any path goes in, so no file name can add or change
        // arguments.
        const std::vector<std::string> arguments = platform::SplitParameterText(launch.fparams);
        if (launch.fparams.find(kFilePlaceholder) == std::string::npos) {
            // Once for the rule, as long as the rule still follows any of its files, and not
            // again for files that a retry takes up after it.
            if (std::ranges::any_of(files_, [&](const FollowedFile& f) { return follows(f); }))
                environment_.launch(launch.fprogram, arguments);
            return;
        }
        forEachFollowed([&](FollowedFile& file, const std::string& name) {
            const std::string& path = source_(*file.folder, name);
            if (!environment_.launch(launch.fprogram, InsertFilePath(arguments, path)))
                file.fail(action_);
        });
    }

    std::vector<ActionOutcome> outcomes() const {
        std::vector<ActionOutcome> outcomes;
        outcomes.reserve(files_.size());
        for (const FollowedFile& file : files_) {
            const bool elsewhere = file.folder != &sharedir_ && *file.folder != sharedir_;
            const bool inPlace = !file.deleted && !elsewhere && file.renamed.empty();
            std::optional<std::int32_t> retryAt;
            if (file.failed && inPlace)
                retryAt = file.failedAt;
            // A file renamed in its own folder is known there under its new name, and so is one
            // moved into a folder made from it below the folder itself, where a folder watched
            // with its sub-folders sees it again.
            const bool renamedHere = !file.deleted && !elsewhere && !file.renamed.empty();
            std::optional<std::string> knownAs;
            if (renamedHere)
                knownAs = file.renamed;
            else if (!file.deleted && elsewhere && file.movedIntoTree)
                if (auto below = PathBelowTop(sharedir_, *file.folder))
                    knownAs = *below + '/' + std::string(OwnNameOf(nameOf(indexOf(file))));
            outcomes.push_back({file.deleted || elsewhere || renamedHere, file.failed, retryAt,
                                knownAs, file.copiesInTree});
        }
        return outcomes;
    }

private:
    // What the templates know of the file: its name now, its last-write time as listed.
    TemplateFacts factsOf(const FollowedFile& file, const std::string& name,
                          const PathTemplate& used) {
        const auto& entry = current_.entries[selection_[indexOf(file)]];
        if (!today_)
            today_ = environment_.today();
        TemplateFacts facts = FactsOfName(OwnNameOf(name), entry.date, *today_);
        // The sub-folder the file was found in, wherever an earlier action took it since.
        facts.subFolder = SubFolderOf(entry.name);
        if (used.usesTaken())
            facts.taken = environment_.captureDate(source_(*file.folder, name));
        return facts;
    }

    // Whether the file lies where a rename or a move of an earlier turn put it, as it was then.
    bool placedByRuleBefore(const FollowedFile& file) const {
        if (renamedBefore_.empty() || file.folder != &sharedir_ || !file.renamed.empty())
            return false;
        const auto& entry = current_.entries[selection_[indexOf(file)]];
        const auto found = std::ranges::lower_bound(renamedBefore_, entry.name, {}, &filerec::name);
        return found != renamedBefore_.end() && found->name == entry.name &&
               found->size == entry.size && found->date == entry.date;
    }

    std::size_t indexOf(const FollowedFile& file) const {
        return static_cast<std::size_t>(&file - files_.data());
    }

    // Whether source already has the numbered name that "keep both" would give it at target
    // ("scan (2).pdf" renamed to a taken "scan.pdf"): it is so named, and nothing is to be done.
    static bool numberedAs(const std::string& source, const std::string& target) {
        if (!platform::ExamineEntry(target).exists)
            return false;
        for (int number = 2; number <= kMostNumbers; ++number) {
            const std::string path = NumberedPath(target, number);
            if (path == source)
                return true;
            if (!platform::ExamineEntry(path).exists)
                return false;
        }
        return false;
    }

    // Whether a move or copy from source would put the file where it lies. A destination made
    // from the file may name the very place it lies in (a folder sorted into sub-folders of its
    // own), and so may the watched folder itself for a file at the top of its tree, whose files
    // the rule gathers there. A folder watched alone that a rule moves or copies into itself is
    // a rule that cannot do anything: that fails, and says so.
    bool liesAt(const std::string& source, const std::string& target) const {
        if (!template_ && !current_.ofTree)
            return false;
        // The folder as the rule spells it ("in/", "in/.") names the same place.
        return source == target || platform::Utf8Path(source).lexically_normal() ==
                                       platform::Utf8Path(target).lexically_normal();
    }

    // The folder the file goes to: destination itself, or the folders the template makes from
    // the file below its fixed part, made where missing. Nothing when they cannot be.
    const std::string* folderFor(const FollowedFile& file, const std::string& name,
                                 const std::string& destination) {
        if (templateRefused_)
            return nullptr;
        folded_ = false;
        made_.clear();
        if (!template_)
            return &destination;
        below_ = template_->foldersBelow(factsOf(file, name, *template_), &folded_);
        auto folder = environment_.makeFolders(fixedFolder_, below_, made_);
        if (!folder) {
            // Said for the file, which stays where it is; the reason names the folder.
            environment_.operationRefused("make-folder", source_(*file.folder, name),
                                          environment_.failureReason());
            environment_.removeMadeFolders(made_);
            return nullptr;
        }
        return &resolved_.emplace_back(std::move(*folder));
    }

    // What a name that is taken asks for. "Replace" is for a file that arrives again: it never
    // takes the place of a file the rule has just put there (two files of different sub-folders
    // sent to one folder), nor, where a value made from the file had to be cleaned or cut, of
    // whatever holds the name the cleaning made ("\xFF" and "_" both make "_"): both are kept.
    // Nor does it take the place of another file the rule has yet to act on ("x.y" renamed to
    // "y.x" while "y.x" is to become "x.y"): that file would be gone before its turn.
    NameClash nameClash(const std::string& source, const std::string& target) {
        if (policy_.nameClash != NameClash::Replace)
            return policy_.nameClash;
        if (folded_ || placedHere_.contains(target) ||
            (target != source && selectedStillThere().contains(target)))
            return NameClash::KeepBoth;
        return NameClash::Replace;
    }

    // Where the rule's files lie as long as no action took them away, made when first asked.
    const std::unordered_set<std::string>& selectedStillThere() {
        if (!stillThere_) {
            stillThere_.emplace();
            for (std::size_t i = 0; i < files_.size(); ++i)
                if (files_[i].folder == &sharedir_ && !files_[i].deleted)
                    stillThere_->insert(JoinPath(sharedir_, nameOf(i)));
        }
        return *stillThere_;
    }

    // A file moved, renamed or copied from source to placed.
    void left(const std::string& source, const std::string& placed) {
        placedHere_.insert(placed);
        if (stillThere_ && source != placed)
            stillThere_->erase(source);
    }

    static std::string joined(const std::vector<std::string>& names) {
        std::string path;
        for (const std::string& name : names)
            path.append(path.empty() ? "" : "/").append(name);
        return path;
    }

    // The folder made from the file, held while the file goes in, so that one swapped for a link
    // meanwhile leads nowhere else: reached from the fixed folder without going through a link.
    // A plain destination is the user's own folder, a link to one included, and is not held.
    std::optional<platform::HeldFolder> holdMadeFolder(const std::string& folder) {
        if (!template_ || below_.empty())
            return platform::HeldFolder(-1, folder);
        return environment_.holdFolder(fixedFolder_, joined(below_));
    }

    // The made folder's files reached through it while it is held; a plain destination is
    // reached by its own path.
    std::optional<ReachedThrough> reachedThrough(const std::string& folder,
                                                 const platform::HeldFolder& held) {
        if (held.path() == folder)
            return std::nullopt;
        return std::optional<ReachedThrough>(std::in_place, environment_, folder, held.path());
    }

    // A folder made from the file that is no folder of its own by now: the file stays.
    void failUnheld(FollowedFile& file, const std::string& name) {
        environment_.operationRefused("make-folder", source_(*file.folder, name), kMadeFolderGone);
        file.fail(action_);
    }

    // Notes what the file is where it was put, for the actions that follow.
    void notePlaced(FollowedFile& file, const std::string& path) {
        file.placedAs = static_cast<std::size_t>(action_) + 1 < actions_.size()
                            ? environment_.placedIdentity(path)
                            : std::nullopt;
    }

    // Whether the file put at name in its folder is still the one found there; one gone is left
    // for the action to fail on.
    bool stillPlaced(const FollowedFile& file, const std::string& name) {
        if (!file.placedAs)
            return true;
        const auto now = environment_.identityNow(source_(*file.folder, name));
        return !now || (now->device == file.placedAs->device && now->inode == file.placedAs->inode);
    }

    bool follows(const FollowedFile& file) const {
        return !file.passedOver && file.joinsAt <= action_;
    }

    const std::string& nameOf(std::size_t i) const {
        return files_[i].renamed.empty() ? current_.entries[selection_[i]].name : files_[i].renamed;
    }

    template <typename Act> void forEachFollowed(Act actOnFile) {
        for (std::size_t i = 0; i < files_.size(); ++i)
            if (follows(files_[i]))
                actOnFollowed(i, actOnFile);
    }

    // Acts on the i-th file where it is, reached as forEachFollowed reaches it.
    template <typename Act> void actOnFollowed(std::size_t i, Act& actOnFile) {
        // A file moved or renamed by an earlier action is acted on only where it is still found.
        const auto act = [&](FollowedFile& file, const std::string& name) {
            if (stillPlaced(file, name))
                return actOnFile(file, name);
            environment_.operationRefused(
                verbOf(actions_[static_cast<std::size_t>(action_)].raction),
                source_(*file.folder, name), kAnotherFileThere);
            file.fail(action_);
        };
        FollowedFile& file = files_[i];
        if (file.folder != &sharedir_) {
            if (file.madeTop.empty()) {
                act(file, nameOf(i));
                return;
            }
            // Moved into folders made from it by an earlier action: a made folder swapped
            // for a link since leads this action nowhere else.
            const auto held = environment_.holdFolder(file.madeTop, file.madeBelow);
            if (!held) {
                environment_.operationRefused(
                    verbOf(actions_[static_cast<std::size_t>(action_)].raction),
                    source_(*file.folder, nameOf(i)), kMadeFolderGone);
                file.fail(action_);
                return;
            }
            const ReachedThrough reach(environment_, *file.folder, held->path());
            act(file, nameOf(i));
            return;
        }
        const std::string_view subFolder = SubFolderOf(nameOf(i));
        if (subFolder.empty()) {
            act(file, nameOf(i));
            return;
        }
        // A file of a sub-folder that is a link by now is out of reach: nothing is done to
        // it, nor to whatever the link leads to, and it is tried again, the sub-folder being
        // back by then, maybe. The sub-folder is held while the file is acted on, so that a
        // swap meanwhile leads nowhere else either.
        const auto held = environment_.holdFolder(sharedir_, subFolder);
        if (!held) {
            environment_.operationRefused(
                verbOf(actions_[static_cast<std::size_t>(action_)].raction),
                source_(sharedir_, nameOf(i)), kSubFolderGone);
            file.fail(action_);
            return;
        }
        const ReachedThrough reach(environment_, JoinPath(sharedir_, std::string(subFolder)),
                                   held->path());
        act(file, nameOf(i));
    }

    // Whether an action after the one under way takes the file from its folder.
    bool takesAwayLater() const {
        return std::ranges::any_of(actions_.subspan(static_cast<std::size_t>(action_) + 1),
                                   [](const ruleactionrec& action) {
                                       return action.raction == rMove || action.raction == rDelete;
                                   });
    }

    std::span<const ruleactionrec> actions_;
    // The rule takes every file at each turn (more than N files, a total size), not new ones.
    bool takesEveryTurn_ = false;
    const Selection& selection_;
    const CurrentFiles& current_;
    const std::string& sharedir_;
    const SortingPolicy& policy_;
    CycleEnvironment& environment_;
    const std::vector<filerec>& renamedBefore_;
    std::vector<FollowedFile> files_; // per selected file, in selection order
    std::int32_t action_ = 0;
    PathBuffer source_, target_;
    std::optional<PathTemplate> template_; // the current action's destination, if it has any
    std::string fixedFolder_;              // its fixed folder, as the watched folder spells it
    bool templateRefused_ = false;
    // The folders the current action makes from the file may lie below the watched folder
    // itself, where a walk of its sub-folders reaches them: its fixed part is no folder below it.
    bool makesInTree_ = false;
    std::deque<std::string> resolved_; // folders made from files; where FollowedFile points
    bool folded_ = false; // the place made for the file at hand holds a cleaned or cut value
    std::vector<std::string> below_; // the folders below the fixed one for the file at hand
    std::vector<std::string> made_;  // those of them made for it
    std::unordered_set<std::string> placedHere_; // where the rule has moved, copied or renamed to
    std::optional<std::unordered_set<std::string>> stillThere_; // see selectedStillThere
    std::optional<double> today_;
};

} // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    return path.append(folder).append(1, platform::kPathSeparator).append(name);
}

std::vector<ActionOutcome> RunRuleActions(const RuleRec& rule, const Selection& selection,
                                          const CurrentFiles& current, const std::string& sharedir,
                                          const SortingPolicy& policy,
                                          CycleEnvironment& environment,
                                          const std::vector<std::optional<std::int32_t>>& retries,
                                          const std::vector<filerec>& renamedBefore) {
    ActionStep step(rule, selection, current, sharedir, policy, environment, retries,
                    renamedBefore);
    std::int32_t position = 0;
    for (const ruleactionrec& action : Counted(rule.actions, rule.actioncnt)) {
        step.at(position++);
        step.prepare(action);
        switch (action.raction) {
        case rMove:
            step.move(action.racmove.filepath);
            break;
        case rCopy:
            step.copy(action.raccopy.filepath);
            break;
        case rDelete:
            step.remove();
            break;
        case rLaunch:
            step.launch(action.raclaunch);
            break;
        case rRename:
            step.rename(action.racrename);
            break;
        default: // FTP transfers are carried along but not made; unknown kinds do nothing
            break;
        }
    }
    return step.outcomes();
}

} // namespace lp
