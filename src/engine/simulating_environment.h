#pragma once
// Foreseeing what a cycle's operations would do, without doing any of them.

#include "cycle_environment.h"
#include "platform/entry_status.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace lp {

// Reads folders, the date and whether files are in use through inner, but changes nothing and
// starts nothing. Each operation counts as done unless it would certainly fail, judged by the
// disk as it stands and by the operations foreseen before it in the run: a source that an
// earlier move or delete took away, or that is a folder; a device, pipe or socket to be copied,
// or moved to another file system; a destination folder that is missing or no folder; a
// destination that is the source itself; a program that cannot be started.
class SimulatingEnvironment : public CycleEnvironment {
public:
    explicit SimulatingEnvironment(CycleEnvironment& inner);

    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override;
    bool fileInUse(const std::string& path) override;
    bool copyFile(const std::string& source, const std::string& destination) override;
    bool moveFile(const std::string& source, const std::string& destination) override;
    bool deleteFile(const std::string& path) override;
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override;
    double today() override;

private:
    // What stands at path once the foreseen operations are done.
    platform::EntryStatus at(const std::string& path) const;
    // Whether a copy or move from source to destination, in folder, would fail before it began.
    bool transferFails(const platform::EntryStatus& source, const platform::EntryStatus& folder,
                       const std::string& destination) const;
    void foresee(const std::string& path, const platform::EntryStatus& status);

    CycleEnvironment& inner_;
    std::unordered_map<std::string, platform::EntryStatus> foreseen_; // by normalised path
    std::uint64_t copiesMade_ = 0; // gives each foreseen copy an identity of its own
};

} // namespace lp
