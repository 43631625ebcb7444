#pragma once
// Whether a destination's folder is the empty mount point of a drive that is not plugged in: a
// file put there would land on the system disk and be hidden once the drive is back.

#include "platform/folder_making.h"
#include "platform/path_separator.h"

#include <string>
#include <unordered_map>

namespace lp {

// The file system tables are read once per folder until forget().
class AbsentDriveCheck {
public:
    bool awaitsDrive(const std::string& destination) {
        const std::string folder = destination.substr(0, platform::NameStartIn(destination));
        const auto [answer, asked] = answers_.try_emplace(folder, false);
        if (asked)
            answer->second = platform::AwaitsItsDrive(folder);
        return answer->second;
    }
    void forget() { answers_.clear(); }

private:
    std::unordered_map<std::string, bool> answers_;
};

} // namespace lp
