#pragma once
// Foreseeing what a cycle's operations would do, without doing any of them.

#include "absent_drive.h"
#include "cycle_environment.h"
#include "name_clash.h"
#include "platform/entry_status.h"
#include "system_environment.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace lp {

// Reads folders, the date and whether files are in use through inner, but changes nothing and
// starts nothing. Each operation counts as done unless it would certainly fail, judged by the
// disk as it stands and by the operations foreseen before it in the run: a source that an
// earlier move or delete took away, or that is a folder; a device, pipe or socket to be copied,
// or moved to another file system; a destination folder that is missing or no folder; a
// destination that is the source itself; a program that cannot be started; a delete into a
// trash that foreseeTrash says would refuse the file. A name taken at a
// copy's or move's destination counts as the clash policy says, so the name a file would get
// under "Keep both" is the one foreseen. A folder lists as it would after the foreseen
// operations: with the entries moved or copied into it (the details those had) and without those
// moved or deleted out of it, however the folder is reached.
class SimulatingEnvironment : public CycleEnvironment {
public:
    // foreseeTrash tells why the trash would refuse a file; without it (empty) there is no trash
    // and a delete meant for the trash fails. By default the trash takes every file.
    explicit SimulatingEnvironment(CycleEnvironment& inner, TrashMover foreseeTrash = TakesAll());

    // A trash that takes every file.
    static TrashMover TakesAll();

    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override;
    bool listFolderInto(const std::string& folder, bool withDetails,
                        std::vector<platform::FolderEntry>& entries) override;
    bool listNamesInto(const std::string& folder, std::vector<std::string>& names) override;
    platform::FolderObserver* folderObserver() override;
    bool fileInUse(const std::string& path, bool listedAsPlainFile) override;
    void actFor(const std::string& folder, const std::string& rule) override;
    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<std::string> makeFolders(const std::string& fixedFolder,
                                           const std::vector<std::string>& below,
                                           std::vector<std::string>& made) override;
    bool deleteFile(const std::string& path) override;
    bool trashFile(const std::string& path) override;
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override;
    void retryStage(RetryStage stage, const std::string& path) override;
    std::string failureReason() override;
    double today() override;
    std::chrono::steady_clock::time_point now() override;
    // A file foreseen at a new place has the date of what it was made from.
    std::optional<double> captureDate(const std::string& path) override;

private:
    // What a foreseen operation left at one name of a folder.
    struct Foreseen {
        platform::EntryStatus status; // nothing there once it was moved away or deleted
        platform::FolderEntry listed; // as a listing with details would show it
    };
    // The foreseen entries of one real folder, in the order they first came to be foreseen.
    struct FolderView {
        std::vector<Foreseen> entries;
        std::unordered_map<std::string, std::size_t> byName;
        std::optional<std::vector<platform::FolderEntry>> detailed; // the disk's listing
        // Positions in detailed by name, made at the first look-up: set once, detailed never
        // changes, so each file's details are found without walking the listing.
        std::unordered_map<std::string_view, std::size_t> detailedByName;
    };

    // Fails the operation for reason: nothing, remembering why.
    std::nullopt_t refused(std::string_view reason);
    // Whether a move or delete can take source; remembers why not.
    bool canTake(const std::string& path, const platform::EntryStatus& source);

    // What stands at path once the foreseen operations are done.
    platform::EntryStatus at(const std::string& path);
    // What a copy or move from source to destination would come to, replacing or not.
    Placing placing(const platform::EntryStatus& source, const std::string& destination,
                    bool replace);
    // The foreseen entry at path, if any operation foresaw one there.
    const Foreseen* foreseenAt(const std::string& path);
    // The details a listing would show for the entry at path.
    platform::FolderEntry listedAt(const std::string& path);
    void foresee(const std::string& path, const platform::EntryStatus& status,
                 platform::FolderEntry listed);
    // The view of the real folder that folder reaches: one for every path that reaches it.
    FolderView& viewOf(const std::string& folder);

    CycleEnvironment& inner_;
    TrashMover foreseeTrash_;
    std::unordered_map<std::string, FolderView> views_;       // by the folder's identity
    std::unordered_map<std::string, std::string> identities_; // folder path -> its identity
    std::string reason_;           // why the operation foreseen to fail last would
    std::uint64_t copiesMade_ = 0; // gives each foreseen copy an identity of its own
    std::unordered_set<std::string> foreseenFolders_; // made by foreseen operations, never made
    // Where the content of a file foreseen at a path lies on the disk, when elsewhere.
    std::unordered_map<std::string, std::string> contentFrom_;
    const std::string& contentOf(const std::string& path) const;
    AbsentDriveCheck absentDrives_;
};

} // namespace lp
