#include "platform/folder_observer.h"
#include "entry_details.h"
#include "file_descriptor.h"
#include "file_system_type.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace lp::platform {

namespace {

constexpr std::uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kDetailEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE;
constexpr std::uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

// A watch nobody asks for a long time (its service switched off) stops collecting names past
// this many and says "everything" instead, so that a busy folder cannot fill the memory.
constexpr std::size_t kMostNamesKept = 65'536;

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// What one caller's watch has seen since it was last asked.
struct Collected {
    int wd = -1; // the kernel's watch; -1 once the kernel dropped it
    bool everything = false;
    bool namesChanged = false;
    std::unordered_set<std::string> names;
};

class InotifyObserver : public FolderObserver {
public:
    InotifyObserver() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

    std::optional<FolderStamp> stamp(const std::string& folder) override {
        struct stat status {};
        if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return std::nullopt;
        struct statfs system {};
        FolderStamp stamp;
        stamp.device = static_cast<std::uint64_t>(status.st_dev);
        stamp.inode = static_cast<std::uint64_t>(status.st_ino);
        stamp.modifiedNs = nanoseconds(status.st_mtim);
        stamp.changedNs = nanoseconds(status.st_ctim);
        stamp.local = ::statfs(folder.c_str(), &system) == 0 &&
                      IsLocalFileSystemType(static_cast<std::int64_t>(system.f_type));
        return stamp;
    }

    int watch(const std::string& folder) override {
        if (fd_.get() < 0)
            return -1;
        const int wd = ::inotify_add_watch(fd_.get(), folder.c_str(),
                                           kNameEvents | kDetailEvents | IN_DELETE_SELF |
                                               IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK);
        if (wd < 0) // no such folder, or the user's limit of watches is reached
            return -1;
        const int handle = nextHandle_++;
        watches_[handle].wd = wd;
        sharing_[wd].push_back(handle); // the kernel gives one folder one watch, however named
        return handle;
    }

    void unwatch(int handle) override {
        const auto found = watches_.find(handle);
        if (found == watches_.end())
            return;
        const int wd = found->second.wd;
        watches_.erase(found);
        const auto sharing = sharing_.find(wd);
        if (sharing == sharing_.end())
            return;
        std::erase(sharing->second, handle);
        if (sharing->second.empty()) {
            sharing_.erase(sharing);
            ::inotify_rm_watch(fd_.get(), wd);
        }
    }

    FolderChanges takeChanges(int handle) override {
        readEvents();
        const auto found = watches_.find(handle);
        if (found == watches_.end())
            return {};
        Collected& collected = found->second;
        FolderChanges changes;
        changes.everything = collected.everything || collected.wd < 0;
        changes.namesChanged = collected.namesChanged;
        changes.names.reserve(collected.names.size());
        for (auto node = collected.names.begin(); node != collected.names.end();)
            changes.names.push_back(std::move(collected.names.extract(node++).value()));
        collected.everything = false;
        collected.namesChanged = false;
        if (changes.everything)
            unwatch(handle);
        return changes;
    }

    EntryLook examine(const std::string& folder,
                      const std::vector<FolderEntry*>& entries) override {
        if (entries.empty())
            return EntryLook::Found;
        const posix::FileDescriptor folderFd(
            ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folderFd.get() < 0)
            return EntryLook::Failed;
        for (FolderEntry* entry : entries) {
            switch (posix::ReadEntryDetails(folderFd.get(), entry->name.c_str(), *entry)) {
            case posix::Examined::Done:
                continue;
            case posix::Examined::Vanished:
                return EntryLook::Vanished;
            case posix::Examined::Failed:
                return EntryLook::Failed;
            }
        }
        return EntryLook::Found;
    }

    std::int64_t now() override {
        timespec time{};
        ::clock_gettime(CLOCK_REALTIME, &time);
        return nanoseconds(time);
    }

private:
    void markEverything() {
        for (auto& [handle, collected] : watches_) {
            collected.everything = true;
            collected.names = {};
        }
    }

    // Takes every event queued so far.
    void readEvents() {
        if (fd_.get() < 0)
            return;
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t got = ::read(fd_.get(), buffer, sizeof buffer);
            if (got <= 0) {
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0 && errno != EAGAIN)
                    markEverything(); // the queue cannot be read: nothing it said can be trusted
                return;
            }
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                take(*event);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    void take(const inotify_event& event) {
        if (event.mask & IN_Q_OVERFLOW) {
            markEverything();
            return;
        }
        const auto sharing = sharing_.find(event.wd);
        if (sharing == sharing_.end())
            return; // a watch already dropped
        for (const int handle : sharing->second) {
            Collected& collected = watches_[handle];
            if (event.mask & kSelfEvents) {
                collected.everything = true;
                continue;
            }
            if (event.len == 0)
                continue;
            if (collected.everything)
                continue;
            if (event.mask & kNameEvents)
                collected.namesChanged = true;
            collected.names.emplace(event.name);
            if (collected.names.size() > kMostNamesKept) {
                collected.everything = true;
                collected.names = {};
            }
        }
        if (event.mask & IN_IGNORED) { // the kernel dropped the watch: its number may come again
            for (const int handle : sharing->second)
                watches_[handle].wd = -1;
            sharing_.erase(sharing);
        }
    }

    posix::FileDescriptor fd_;
    int nextHandle_ = 0;
    std::unordered_map<int, Collected> watches_;        // by handle
    std::unordered_map<int, std::vector<int>> sharing_; // the handles of each kernel watch
};
} // namespace

std::unique_ptr<FolderObserver> OpenFolderObserver() {
    return std::make_unique<InotifyObserver>();
}

bool IsLocalFileSystemType(std::int64_t type) {
    // File systems whose times come from elsewhere (a server, a user-space program, a hypervisor)
    // and may be cached stale; every other type keeps its own times.
    constexpr std::int64_t kNotLocal[] = {
        0x6969,     // NFS
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
        0x517B,     // SMB
        0x65735546, // FUSE
        0x01021997, // 9p (v9fs)
        0x00C36400, // ceph
        0x5346414F, // AFS
        0x6B414653, // kAFS
        0x73757245, // Coda
        0x564C,     // NCP
        0x47504653, // GPFS
        0x0BD00BD0, // Lustre
        0x19830326, // BeeGFS
        0x786F4256, // VirtualBox shared folder
        0x7461636F, // OCFS2
        0x01161970, // GFS2
    };
    const std::int64_t magic = type & 0xFFFFFFFF; // some systems give the type sign-extended
    return std::find(std::begin(kNotLocal), std::end(kNotLocal), magic) == std::end(kNotLocal);
}

} // namespace lp::platform
