#pragma once
// Running part of a test as any user would: in a child process that has given up the
// capabilities to override permissions (which root has), so that permission bits decide.

#include <functional>
#include <linux/capability.h>
#include <optional>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lp::test {

// What work gives back when run that way; nothing when the child could not be started or could
// not give up the capabilities. work must not use the test framework's assertions: it runs in
// the child, whose failures the test would never see.
inline std::optional<long long>
runWithoutPermissionOverride(const std::function<long long()>& work) {
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (::syscall(SYS_capget, &header, data) != 0)
            ::_exit(2);
        for (const unsigned cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            data[cap / 32].effective &= ~(1u << (cap % 32));
        if (::syscall(SYS_capset, &header, data) != 0)
            ::_exit(2);
        const long long result = work();
        ::_exit(::write(channel[1], &result, sizeof result) == sizeof result ? 0 : 2);
    }
    ::close(channel[1]);
    long long result = 0;
    const bool received = child > 0 && ::read(channel[0], &result, sizeof result) == sizeof result;
    ::close(channel[0]);
    int status = 0;
    if (child > 0)
        ::waitpid(child, &status, 0);
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return result;
}

} // namespace lp::test
