// A folder watched with its sub-folders: a tree of 100 sub-folders of 1,000 files each, beside a
// bare nftw walk of the same tree (a status call per entry, links not followed), taken in the
// same run.
// (w) a turn that walks the whole tree, its "new file" rule finding nothing new;
// (w~) the remembering turn over the unchanged tree: each sub-folder remembered and watched.
// File operations are counted instead of performed, so the tree stays as it is.

#include "bench_folder.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"
#include "ratio_reporter.h"

#include <ftw.h>
#include <memory>
#include <string>

namespace lp::bench {
namespace {

constexpr std::size_t kFolders = 100;
constexpr std::size_t kFilesEach = 1000;

class CountingEnvironment : public SystemEnvironment {
public:
    std::optional<std::string> copyFile(const std::string&, const std::string& destination,
                                        NameClash) override {
        return destination;
    }
    std::optional<std::string> moveFile(const std::string&, const std::string& destination,
                                        NameClash) override {
        return destination;
    }
    bool deleteFile(const std::string&) override { return true; }
    bool launch(const std::string&, const std::vector<std::string>&) override { return true; }
};

const std::string& tree() {
    static std::unique_ptr<BenchFolder> folder;
    if (!folder) {
        folder = std::make_unique<BenchFolder>();
        for (std::size_t f = 0; f < kFolders; ++f) {
            const std::string sub = folder->sub("folder-" + std::to_string(f));
            BenchFolder::fill(sub, "song-", 0, kFilesEach, true);
            SetFolderTimeBack(sub);
        }
        SetFolderTimeBack(folder->path());
    }
    return folder->path();
}

std::size_t nftwEntries = 0;

int countEntry(const char*, const struct stat*, int, struct FTW*) {
    ++nftwEntries;
    return 0;
}

void nftwWalk(benchmark::State& state) {
    const std::string& top = tree();
    for (auto _ : state) {
        nftwEntries = 0;
        ::nftw(top.c_str(), countEntry, 64, FTW_PHYS);
        benchmark::DoNotOptimize(nftwEntries);
    }
    state.counters["entries"] = static_cast<double>(nftwEntries);
}

rServiceRules treeService() {
    ruleacondrec extension;
    extension.rcond = FileExt;
    extension.rcondFileExt.ext = "mp3";
    ruleactionrec move;
    move.raction = rMove;
    move.racmove.filepath = "/nowhere";
    RuleRec rule;
    rule.rulename = "new songs";
    rule.enabled = true;
    rule.mcond = NewFile;
    rule.conds = {extension};
    rule.condcnt = 1;
    rule.actions = {move};
    rule.actioncnt = 1;
    rServiceRules service;
    service.enabled = true;
    service.sharedir = tree();
    service.subfolders = kMostSubfolderLevels;
    service.rulelist = {1, {rule}};
    return service;
}

void walkedTurn(benchmark::State& state) {
    rServiceRules service = treeService();
    CountingEnvironment environment;
    RunServiceTurn(service, true, {}, environment);
    for (auto _ : state)
        RunServiceTurn(service, false, {}, environment);
    state.counters["entries"] = static_cast<double>(service.knowncnt);
}

void rememberedTurn(benchmark::State& state) {
    rServiceRules service = treeService();
    CountingEnvironment environment;
    ServiceMemory memory;
    RunServiceTurn(service, true, {}, environment, &memory);
    RunServiceTurn(service, false, {}, environment, &memory);
    for (auto _ : state)
        RunServiceTurn(service, false, {}, environment, &memory);
    state.counters["entries"] = static_cast<double>(service.knowncnt);
}

BENCHMARK(nftwWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(walkedTurn)->Unit(benchmark::kMillisecond);
BENCHMARK(rememberedTurn)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace lp::bench

int main(int argc, char** argv) {
    return lp::bench::RunWithRatios(
        argc, argv,
        {{"(w) tree turn, walked in full / nftw walk", "walkedTurn", "nftwWalk"},
         {"(w~) remembered tree turn, unchanged / walked in full", "rememberedTurn",
          "walkedTurn"}});
}
