#include "activity_tail.h"

#include "activity_log.h"
#include "platform/file_identity.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace lp {

namespace {

bool sameFile(const FileIdentity& identity, std::uint64_t device, std::uint64_t inode) {
    return identity.device == device && identity.inode == inode;
}

} // namespace

ActivityLogTail::ActivityLogTail(std::string path) : path_(std::move(path)) {}

bool ActivityLogTail::readFrom(const std::string& path, Place& place,
                               std::vector<ActivityEntry>& into) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        // The stream keeps no reason of its own; the failed open leaves it in errno.
        const int error = errno;
        if (!problem_)
            problem_ = "The activity log " + path +
                       " cannot be read: " + std::generic_category().message(error) + ".";
        return false;
    }
    in.seekg(static_cast<std::streamoff>(place.offset));
    std::string text = partial_;
    text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    place.offset += text.size() - partial_.size();
    std::string_view rest(text);
    for (std::size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
        if (std::optional<ActivityEntry> entry = ParseActivityLine(rest.substr(0, end)))
            into.push_back(std::move(*entry));
        rest.remove_prefix(end + 1);
    }
    // The writer may be half way through a line: it is finished by the next read.
    partial_ = std::string(rest);
    return true;
}

ActivityUpdate ActivityLogTail::readAll() {
    ActivityUpdate update;
    live_.reset();
    const std::vector<std::string> files = ActivityLogFiles(path_);
    for (const std::string& file : files) {
        partial_.clear();
        const std::optional<FileIdentity> identity = platform::IdentifyFile(file);
        if (!identity)
            continue;
        Place place{identity->device, identity->inode, 0};
        if (readFrom(file, place, update.entries) && file == path_)
            live_ = place;
    }
    started_ = true;
    return update;
}

ActivityUpdate ActivityLogTail::read() {
    problem_.reset();
    ActivityUpdate update;
    if (missedFile_) {
        // A file skipped last time is not followed like the live one: everything is read again.
        update = readAll();
        update.restarted = true;
    } else {
        update = readChanges();
    }
    missedFile_ = problem_.has_value();
    update.problem = std::move(problem_);
    problem_.reset();
    return update;
}

ActivityUpdate ActivityLogTail::readChanges() {
    if (!started_)
        return readAll();
    const std::optional<FileIdentity> now = platform::IdentifyFile(path_);
    ActivityUpdate update;
    if (live_ && now && sameFile(*now, live_->device, live_->inode)) {
        if (now->size < live_->offset) {
            update = readAll(); // cut short: what was read may be gone
            update.restarted = true;
            return update;
        }
        if (now->size > live_->offset)
            readFrom(path_, *live_, update.entries);
        return update;
    }
    if (live_) {
        // The file read last was rotated away: its rest is in one of the older files, and any
        // file rotated after it was never read at all. The files come oldest first.
        bool found = false;
        for (const std::string& file : ActivityLogFiles(path_)) {
            const std::optional<FileIdentity> older = platform::IdentifyFile(file);
            if (file == path_ || !older)
                continue;
            if (found) {
                partial_.clear();
                Place whole{older->device, older->inode, 0};
                readFrom(file, whole, update.entries);
            } else if (sameFile(*older, live_->device, live_->inode)) {
                found = readFrom(file, *live_, update.entries);
            }
        }
        if (!found) {
            update = readAll();
            update.restarted = true;
            return update;
        }
    }
    partial_.clear(); // a line never runs on into the next file
    live_.reset();
    if (now) {
        Place place{now->device, now->inode, 0};
        if (readFrom(path_, place, update.entries))
            live_ = place;
    }
    return update;
}

} // namespace lp
