#pragma once
// Mounts for tests that need a second file system or a bind mount: made in a mount namespace of
// the test process's own, so nothing shows outside it and nothing is left when it ends.

#include <sched.h>
#include <string>
#include <sys/mount.h>

namespace lp::test {

// Whether this process could move into a mount namespace of its own (it needs the right to
// mount); the first call makes the move.
inline bool privateMountsPermitted() {
    static const bool permitted = ::unshare(CLONE_NEWNS) == 0 &&
                                  ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return permitted;
}

class ScopedMount {
public:
    // A file system of type on target, or with MS_BIND the folder source seen again at target.
    ScopedMount(const std::string& source, const std::string& target, const char* type,
                unsigned long flags)
        : target_(target) {
        mounted_ = privateMountsPermitted() &&
                   ::mount(source.c_str(), target.c_str(), type, flags, nullptr) == 0;
    }
    ~ScopedMount() {
        if (mounted_)
            ::umount2(target_.c_str(), MNT_DETACH);
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string target_;
    bool mounted_ = false;
};

} // namespace lp::test
