#include "platform/process_memory.h"

#include "clean_file_mappings.h"
#include "platform/file_reading.h"

#include <malloc.h>
#include <string>
#include <sys/mman.h>

namespace lp::platform {

void releaseFreeHeapMemory() {
    // Keeps no padding at the top of the heap: everything free goes back.
    (void)malloc_trim(0);
}

void trimWorkingSet() {
    releaseFreeHeapMemory();
    // Linux trims no working set by itself, as Windows does for a program in the background: the
    // pages the start-up touched in Qt and the other libraries would stay resident for good. Only
    // clean pages of read-only file mappings are let go, so nothing can be lost: they stay in the
    // system's file cache and come back without reading the disk when next touched, as pages
    // from Windows' standby list do. (MADV_PAGEOUT would free them outright, but only for files
    // the user owns, never for the system's libraries.)
    constexpr std::size_t kSmapsLimit = std::size_t{16} * 1024 * 1024;
    std::string smaps;
    bool readFailed = false;
    if (!ReadFileStart("/proc/self/smaps", kSmapsLimit, smaps, readFailed) || readFailed)
        return;
    for (const MappedRange& range : CleanFileMappings(smaps))
        (void)::madvise(reinterpret_cast<void*>(range.start), range.length, MADV_DONTNEED);
}

} // namespace lp::platform
