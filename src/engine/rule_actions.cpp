#include "rule_actions.h"
#include "counted.h"
#include "launch_arguments.h"
#include "platform/path_separator.h"

#include <algorithm>

namespace lp {

namespace {

void launchFor(const raclaunchrec& launch, const Selection& selection, const CurrentFiles& current,
               const std::string& workingFolder, CycleEnvironment& environment) {
    // The text is split before any path goes in, so no file name can add or change arguments.
    const std::vector<std::string> arguments = SplitParameterText(launch.fparams);
    if (launch.fparams.find(kFilePlaceholder) == std::string::npos) {
        environment.launch(launch.fprogram, arguments);
        return;
    }
    for (const std::uint32_t index : selection) {
        const std::string path = JoinPath(workingFolder, current.entries[index].name);
        environment.launch(launch.fprogram, InsertFilePath(arguments, path));
    }
}

} // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    return path.append(folder).append(1, platform::kPathSeparator).append(name);
}

namespace {

// The path of a file in a folder, built in one buffer that every file of an action reuses.
class PathInFolder {
public:
    explicit PathInFolder(const std::string& folder) : path_(folder) {
        path_.push_back(platform::kPathSeparator);
        folderLength_ = path_.size();
    }
    const std::string& operator()(const std::string& name) {
        path_.resize(folderLength_);
        return path_.append(name);
    }

private:
    std::string path_;
    std::size_t folderLength_ = 0;
};

} // namespace

void RunRuleActions(const RuleRec& rule, const Selection& selection, const CurrentFiles& current,
                    const std::string& sharedir, CycleEnvironment& environment) {
    std::string workingFolder = sharedir;
    for (const ruleactionrec& action : Counted(rule.actions, rule.actioncnt)) {
        PathInFolder source(workingFolder);
        switch (action.raction) {
        case rMove: {
            PathInFolder destination(action.racmove.filepath);
            for (const std::uint32_t index : selection) {
                const std::string& name = current.entries[index].name;
                environment.moveFile(source(name), destination(name));
            }
            workingFolder = action.racmove.filepath;
            break;
        }
        case rCopy: {
            PathInFolder destination(action.raccopy.filepath);
            for (const std::uint32_t index : selection) {
                const std::string& name = current.entries[index].name;
                environment.copyFile(source(name), destination(name));
            }
            break;
        }
        case rDelete:
            for (const std::uint32_t index : selection)
                environment.deleteFile(source(current.entries[index].name));
            break;
        case rLaunch:
            launchFor(action.raclaunch, selection, current, workingFolder, environment);
            break;
        default: // FTP transfers are carried along but not made; unknown kinds do nothing
            break;
        }
    }
}

} // namespace lp
