// A service turn over folders of 1,000, 10,000 and 100,000 entries, beside a bare listing of the
// same folder: (a) rules that need names only, (b) rules that need sizes and dates. The file
// operations are counted instead of performed, so the folder stays as it is; so is the check
// whether a selected file is still being written, which costs about what an operation on it
// costs, except in (b') that takes it for real.

#include "bench_folder.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"
#include "ratio_reporter.h"

#include <map>
#include <memory>

namespace lp::bench {
namespace {

class CountingEnvironment : public SystemEnvironment {
public:
    explicit CountingEnvironment(bool checkUse = false) : checkUse_(checkUse) {}
    bool fileInUse(const std::string& path) override {
        ++inUseChecks;
        return checkUse_ && SystemEnvironment::fileInUse(path);
    }
    std::optional<std::string> copyFile(const std::string&, const std::string& destination,
                                        NameClash) override {
        return ++operations, destination;
    }
    std::optional<std::string> moveFile(const std::string&, const std::string& destination,
                                        NameClash) override {
        return ++operations, destination;
    }
    bool deleteFile(const std::string&) override { return ++operations, true; }
    bool launch(const std::string&, const std::vector<std::string>&) override {
        return ++operations, true;
    }
    std::size_t operations = 0;
    std::size_t inUseChecks = 0;

private:
    bool checkUse_;
};

// One folder per size, made on first use and shared by every benchmark of that size.
const std::string& folderOf(std::size_t entries) {
    static std::map<std::size_t, std::unique_ptr<BenchFolder>> folders;
    auto& folder = folders[entries];
    if (!folder) {
        folder = std::make_unique<BenchFolder>();
        BenchFolder::fill(folder->path(), "song-", 0, entries, true);
    }
    return folder->path();
}

RuleRec ruleOf(std::uint8_t trigger, std::vector<ruleacondrec> conditions) {
    RuleRec rule;
    rule.enabled = true;
    rule.mcond = trigger;
    rule.conds = std::move(conditions);
    rule.condcnt = static_cast<std::int32_t>(rule.conds.size());
    ruleactionrec move;
    move.raction = rMove;
    move.racmove.filepath = "/nowhere";
    rule.actions = {move};
    rule.actioncnt = 1;
    return rule;
}

rServiceRules serviceOver(const std::string& folder, std::vector<RuleRec> rules) {
    rServiceRules service;
    service.enabled = true;
    service.sharedir = folder;
    service.rulelist.rulecnt = static_cast<std::int32_t>(rules.size());
    service.rulelist.rules = std::move(rules);
    return service;
}

void namesListing(benchmark::State& state) {
    const std::string& folder = folderOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ListNames(folder));
}

void statusListing(benchmark::State& state) {
    const std::string& folder = folderOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ListNamesWithStatus(folder));
}

// (a) A NewFile rule with an extension condition; one entry in a hundred is new each cycle.
void namesOnlyCycle(benchmark::State& state) {
    const std::string& folder = folderOf(static_cast<std::size_t>(state.range(0)));
    ruleacondrec ext;
    ext.rcond = FileExt;
    ext.rcondFileExt.ext = "mp3;ogg";
    rServiceRules service = serviceOver(folder, {ruleOf(NewFile, {ext})});
    CountingEnvironment environment;
    RunServiceTurn(service, true, {}, environment);
    std::vector<filerec> known;
    for (std::size_t i = 0; i < service.knownfiles.size(); ++i)
        if (i % 100 != 50)
            known.push_back(service.knownfiles[i]);
    for (auto _ : state) {
        state.PauseTiming();
        service.knownfiles = known;
        service.knowncnt = static_cast<std::int32_t>(known.size());
        state.ResumeTiming();
        RunServiceTurn(service, false, {}, environment);
    }
    state.counters["operations/cycle"] =
        static_cast<double>(environment.operations) / static_cast<double>(state.iterations());
}

// (b) Rules on the total size, file sizes, ages and both rankings; (b') the same with the
// in-use check of every selected file taken for real.
void sizesAndDates(benchmark::State& state, bool checkUse) {
    const auto entries = static_cast<std::int32_t>(state.range(0));
    const std::string& folder = folderOf(static_cast<std::size_t>(entries));
    ruleacondrec size;
    size.rcond = FileSize;
    size.rnum = cmpGreater;
    size.size = 20;
    ruleacondrec age;
    age.rcond = FileDate;
    age.rdnum = cmpGreater;
    age.rdays = 30;
    ruleacondrec oldest;
    oldest.rcond = FileDateOld;
    oldest.oldfilecnt = 1000;
    ruleacondrec newest;
    newest.rcond = FileDateNew;
    newest.newfilecnt = entries / 2;
    RuleRec total = ruleOf(TotalFileSize, {size});
    total.fsize = 0;
    rServiceRules service =
        serviceOver(folder, {total, ruleOf(FileCount, {age}), ruleOf(FileCount, {oldest}),
                             ruleOf(FileCount, {newest})});
    CountingEnvironment environment(checkUse);
    for (auto _ : state)
        RunServiceTurn(service, false, {}, environment);
    state.counters["operations/cycle"] =
        static_cast<double>(environment.operations) / static_cast<double>(state.iterations());
    state.counters["in-use checks/cycle"] =
        static_cast<double>(environment.inUseChecks) / static_cast<double>(state.iterations());
}

void sizesAndDatesCycle(benchmark::State& state) {
    sizesAndDates(state, false);
}
void sizesAndDatesCheckingUse(benchmark::State& state) {
    sizesAndDates(state, true);
}

constexpr std::int64_t kSizes[] = {1'000, 10'000, 100'000};

void sizes(benchmark::internal::Benchmark* benchmark) {
    for (const auto entries : kSizes)
        benchmark->Arg(entries);
    benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(namesListing)->Apply(sizes);
BENCHMARK(namesOnlyCycle)->Apply(sizes);
BENCHMARK(statusListing)->Apply(sizes);
BENCHMARK(sizesAndDatesCycle)->Apply(sizes);
BENCHMARK(sizesAndDatesCheckingUse)->Apply(sizes);

std::vector<RatioLine> ratioLines() {
    std::vector<RatioLine> lines;
    for (const auto entries : kSizes) {
        const std::string n = std::to_string(entries);
        lines.push_back({"(a) names-only cycle / names listing, " + n + " entries",
                         "namesOnlyCycle/" + n, "namesListing/" + n});
        lines.push_back({"(b) sizes-and-dates cycle / listing with status, " + n + " entries",
                         "sizesAndDatesCycle/" + n, "statusListing/" + n});
        lines.push_back(
            {"(b') the same, in-use checks taken / listing with status, " + n + " entries",
             "sizesAndDatesCheckingUse/" + n, "statusListing/" + n});
    }
    for (const char* name :
         {"namesListing", "namesOnlyCycle", "statusListing", "sizesAndDatesCycle"})
        lines.push_back({std::string(name) + ": 100,000 / 10,000 entries",
                         std::string(name) + "/100000", std::string(name) + "/10000"});
    return lines;
}

} // namespace
} // namespace lp::bench

int main(int argc, char** argv) {
    return lp::bench::RunWithRatios(argc, argv, lp::bench::ratioLines());
}
