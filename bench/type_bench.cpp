// How often the type condition reads a file's content: 1,000 new files of 4 KB (a PNG, a PDF or
// text each) under a "new file" rule with a type condition, then the same folder unchanged under
// that rule and under a count rule that takes every file each turn. Prints the reads of each
// turn and its time; the target is one read per file in the first turn and none after.

#include "bench_folder.h"
#include "engine/cycle_memory.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace lp::bench {
namespace {

constexpr std::size_t kFiles = 1000;
constexpr std::size_t kFileBytes = 4096;

class CountingEnvironment : public SystemEnvironment {
public:
    std::optional<platform::ContentType> readContentType(const std::string& path) override {
        ++contentReads;
        return SystemEnvironment::readContentType(path);
    }
    std::optional<std::string> copyFile(const std::string&, const std::string& destination,
                                        NameClash) override {
        return ++operations, destination;
    }
    std::size_t contentReads = 0;
    std::size_t operations = 0;
};

void fillFolder(const std::string& folder) {
    const std::string heads[] = {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "%PDF-1.4\n",
                                 "Plain text of a note.\n"};
    for (std::size_t i = 0; i < kFiles; ++i) {
        std::string content = heads[i % 3];
        content.resize(kFileBytes, i % 3 == 2 ? 'x' : '\0');
        std::ofstream(folder + "/file-" + std::to_string(i), std::ios::binary) << content;
    }
}

rServiceRules serviceWith(const std::string& folder, std::uint8_t trigger) {
    ruleacondrec type;
    type.rcond = FileTypeMatching;
    type.types = "Images;application/pdf";
    RuleRec rule;
    rule.enabled = true;
    rule.mcond = trigger;
    rule.conds = {type};
    rule.condcnt = 1;
    ruleactionrec copy;
    copy.raction = rCopy;
    copy.raccopy.filepath = "/nowhere";
    rule.actions = {copy};
    rule.actioncnt = 1;
    rServiceRules service;
    service.enabled = true;
    service.sharedir = folder;
    service.rulelist.rulecnt = 1;
    service.rulelist.rules = {rule};
    return service;
}

void turn(const char* what, rServiceRules& service, ServiceMemory& memory) {
    CountingEnvironment environment;
    const auto start = std::chrono::steady_clock::now();
    RunServiceTurn(service, false, {}, environment, &memory);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("%-58s %5zu reads %5zu taken %8.2f ms\n", what, environment.contentReads,
                environment.operations, took.count());
}

} // namespace
} // namespace lp::bench

int main() {
    using namespace lp;
    bench::BenchFolder folder;
    bench::fillFolder(folder.path());
    rServiceRules fresh = bench::serviceWith(folder.path(), NewFile);
    fresh.knownready = true; // every file in the folder is new
    ServiceMemory memory;
    bench::turn("1,000 new files of 4 KB, new-file rule with a type", fresh, memory);
    bench::turn("the same folder unchanged, new-file rule", fresh, memory);
    rServiceRules every = bench::serviceWith(folder.path(), FileCount);
    bench::turn("the same folder unchanged, count rule taking every file", every, memory);
    bench::turn("again", every, memory);
    return 0;
}
