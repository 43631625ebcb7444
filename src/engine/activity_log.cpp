#include "activity_log.h"
#include "globals/log_sink.h"
#include "operation_report.h"
#include "platform/entry_status.h"
#include "platform/local_time.h"
#include "platform/user_folders.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

namespace lp {

namespace fs = std::filesystem;

namespace {

std::string olderFile(const std::string& path, int number) {
    return path + '.' + std::to_string(number);
}

// What names the operation whatever its outcome: the folder, the rule, the verb and the file
// it acts on (for a launch, the program and all its arguments).
std::string operationKey(const ActivityEntry& entry) {
    std::string key = QuoteValue(entry.folder) + ' ' + QuoteValue(entry.rule);
    key.append(entry.undo ? " undo " : " ").append(entry.action);
    const std::size_t named = entry.action == "launch" ? entry.values.size() : 1;
    for (std::size_t i = 0; i < named && i < entry.values.size(); ++i)
        key.append(1, ' ').append(QuoteValue(entry.values[i]));
    return key;
}

} // namespace

ActivityLog::ActivityLog(std::string path, MessageSink say, std::uintmax_t rotationSize)
    : path_(std::move(path)), say_(std::move(say)), rotationSize_(rotationSize) {
    if (!say_)
        say_ = LogWarning;
}

std::string ActivityLog::DefaultPath() {
    const std::string state = platform::UserStateFolder();
    return state.empty() ? std::string() : state + "/Larchpost/activity.log";
}

bool ActivityLog::repeatsFailure(const ActivityEntry& entry) {
    std::string key = operationKey(entry);
    if (!entry.failed) {
        failures_.erase(key);
        return false;
    }
    std::string line =
        OperationLine(true, entry.undo, entry.action, entry.values) + ReasonPart(entry.reason);
    const auto [known, added] = failures_.try_emplace(std::move(key));
    if (!added && known->second.line == line)
        return true;
    known->second.line = std::move(line);
    if (added) {
        // A launch acts on its arguments, the rest on their first value.
        const bool launch = entry.action == "launch";
        const auto first = entry.values.begin() + (launch && !entry.values.empty() ? 1 : 0);
        const auto last = launch || entry.values.empty() ? entry.values.end() : first + 1;
        known->second.files.assign(first, last);
        if (failures_.size() >= forgetAt_)
            forgetVanishedFailures();
    }
    return false;
}

void ActivityLog::forgetVanishedFailures() {
    std::erase_if(failures_, [](const auto& failure) {
        return std::ranges::none_of(failure.second.files, [](const std::string& file) {
            return platform::ExamineEntry(file).exists;
        });
    });
    forgetAt_ = std::max(kFailuresKept, failures_.size() * 2);
}

void ActivityLog::append(ActivityEntry entry) {
    if (repeatsFailure(entry))
        return;
    if (entry.time.empty())
        entry.time = platform::LocalTimestamp(std::time(nullptr));
    write(FormatActivityLine(entry).append(1, '\n'));
}

void ActivityLog::rotate() {
    file_.close();
    std::error_code ignored; // a file that cannot be moved on is written to as it is
    fs::remove(olderFile(path_, kOlderFiles), ignored);
    for (int number = kOlderFiles - 1; number >= 1; --number)
        fs::rename(olderFile(path_, number), olderFile(path_, number + 1), ignored);
    fs::rename(path_, olderFile(path_, 1), ignored);
}

void ActivityLog::complain(const std::string& what) {
    if (complained_)
        return;
    complained_ = true;
    say_("larchpost: the activity log " + path_ + " cannot be written (" + what +
         "); sorting goes on without it.");
}

std::optional<std::uintmax_t> ActivityLog::openFile() {
    if (file_.isOpen())
        if (const auto size = file_.sizeIfAt(path_))
            return size;
    if (path_.empty()) {
        complain("there is no folder for it");
        return std::nullopt;
    }
    // The log or its folder renamed or removed again between the making and the look: a few
    // more tries, so that no line is lost to someone tidying up.
    std::error_code error;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        error.clear();
        const fs::path folder = fs::path(path_).parent_path();
        // The log names the user's files: only the user reads the folder made for it.
        if (!folder.empty() && fs::create_directories(folder, error))
            fs::permissions(folder, fs::perms::owner_all, error);
        if (!error)
            error = file_.open(path_);
        if (const auto size = error ? std::nullopt : file_.sizeIfAt(path_))
            return size;
        file_.close();
    }
    complain(error ? error.message() : "it is not where it was opened");
    return std::nullopt;
}

void ActivityLog::write(const std::string& line) {
    const auto size = openFile();
    if (!size)
        return;
    if (*size > 0 && *size + line.size() > rotationSize_) {
        rotate();
        if (!openFile())
            return;
    }
    if (const auto error = file_.append(line)) {
        complain(error.message());
        return;
    }
    complained_ = false;
}

std::vector<std::string> ActivityLogFiles(const std::string& path) {
    std::vector<std::string> files;
    std::error_code ignored;
    for (int number = ActivityLog::kOlderFiles; number >= 1; --number)
        if (fs::is_regular_file(olderFile(path, number), ignored))
            files.push_back(olderFile(path, number));
    if (fs::is_regular_file(path, ignored))
        files.push_back(path);
    return files;
}

} // namespace lp
