// Any bytes as a configuration file: the reader must end without crashing or hanging, stay below
// 64 MB of memory on files up to the size limit, either read a file whole or say once that it
// did not (never both, never neither), leave the table's counts within its arrays, and whatever
// it read must write and read back to the very same file image.
//
// An input that begins with byte 1 stands for a large file: the bytes up to the first zero byte
// are its head, and the bytes after it are repeated until the file reaches the size limit, so
// the fuzzer can look for the records that cost the most memory per byte of file.

#include "globals/config_file.h"
#include "globals/config_lines.h"

#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::int64_t kMemoryBound = std::int64_t{64} << 20;

std::atomic<bool> measuring{false};
std::atomic<std::int64_t> liveBytes{0};
std::atomic<std::int64_t> peakBytes{0};

void onMalloc(const volatile void*, std::size_t size) {
    if (!measuring.load(std::memory_order_relaxed))
        return;
    const std::int64_t live = liveBytes += static_cast<std::int64_t>(size);
    std::int64_t peak = peakBytes.load(std::memory_order_relaxed);
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
}

void onFree(const volatile void* pointer) {
    if (measuring.load(std::memory_order_relaxed) && pointer != nullptr)
        liveBytes -= static_cast<std::int64_t>(__sanitizer_get_allocated_size(pointer));
}

const bool hooksInstalled = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) > 0;

void require(bool condition) {
    if (!condition)
        std::abort();
}

void checkCounts(const lp::ServiceTable& table) {
    std::int32_t users = 0;
    for (const lp::rServiceRules& service : table.services) {
        if (service.serviceid == lp::kOtherService)
            require(service.othernum == ++users);
        const lp::RuleList& list = service.rulelist;
        require(list.rulecnt >= 0 && static_cast<std::size_t>(list.rulecnt) <= list.rules.size());
        for (const lp::RuleRec& rule : list.rules) {
            require(rule.condcnt >= 0 &&
                    static_cast<std::size_t>(rule.condcnt) <= rule.conds.size());
            require(rule.actioncnt >= 0 &&
                    static_cast<std::size_t>(rule.actioncnt) <= rule.actions.size());
        }
    }
    require(users == table.customCount);
}

std::string fileFor(std::string_view input) {
    if (input.empty() || input[0] != '\x01')
        return std::string(input);
    input.remove_prefix(1);
    const auto zero = input.find('\0');
    std::string file(input.substr(0, zero));
    const std::string_view unit =
        zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    if (!unit.empty())
        while (file.size() + unit.size() <= lp::config::kMaxConfigBytes)
            file += unit;
    return file;
}

// The messages that say a file was not read whole; the version number is said on its own.
int notWholeMessages(const std::string& content, lp::ServiceTable& table, std::int32_t& result) {
    int said = 0;
    const auto count = [&said](const std::string& message) {
        if (message != "Error retrieving version number.")
            ++said;
    };
    result = lp::ReadConfigContent(content, table, count);
    return said;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    require(hooksInstalled);
    std::string content = fileFor(std::string_view(reinterpret_cast<const char*>(data), size));
    if (content.size() > lp::config::kMaxConfigBytes)
        content.resize(lp::config::kMaxConfigBytes); // larger files are cut by loading

    lp::ServiceTable table;
    std::int32_t result = 0;
    liveBytes = 0;
    peakBytes = 0;
    measuring = true;
    const int said = notWholeMessages(content, table, result);
    measuring = false;
    require(peakBytes.load() < kMemoryBound);
    require(result == 0 || result == -1);
    require(said == (result == 0 ? 0 : 1));
    require(table.setAsideBeforeSave == (result == -1));
    checkCounts(table);

    const std::string image = lp::FormatConfigFile(table);
    lp::ServiceTable again;
    std::int32_t againResult = 0;
    require(notWholeMessages(image, again, againResult) == 0);
    require(againResult == 0);
    require(!again.setAsideBeforeSave);
    require(lp::FormatConfigFile(again) == image);
    return 0;
}
