#include "same_contents.h"
#include "name_clash.h"

#include "platform/entry_status.h"
#include "platform/file_reading.h"

namespace lp {

bool WholeCopyAt(const std::string& path, const std::string& original,
                 const platform::FileIdentity& of) {
    const auto there = platform::IdentifyFile(path);
    return there && there->size == of.size && there->modifiedNs == of.modifiedNs &&
           !(there->device == of.device && there->inode == of.inode) &&
           platform::SameFileBytes(original, path);
}

bool CopyStandsAt(const std::string& source, const std::string& target) {
    const auto original = platform::IdentifyFile(source);
    if (!original)
        return false;
    // Keep both gives the copy the first numbered name not taken by anything, so the look goes
    // on past names taken by folders or other entries and ends at the first name that is free.
    for (int number = 1; number <= kMostNumbers; ++number) {
        const std::string path = number == 1 ? target : NumberedPath(target, number);
        if (!platform::ExamineEntry(path).exists)
            return false;
        if (WholeCopyAt(path, source, *original))
            return true;
    }
    return false;
}

} // namespace lp
