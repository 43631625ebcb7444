// Service turns over folders of 1,000, 10,000 and 100,000 entries, each beside the bare loops an
// outside measurement would compare with, taken in the same run: readdir alone, and readdir with
// an fstatat call per entry.
// (a) rules that need names only, the folder listed in full each turn, one entry in a hundred new
//     at random places; (a0) the same with nothing new, and (a~) the remembering cycle over the
//     unchanged folder;
// (b) rules on sizes and dates that select every entry each turn, listed in full; (b') the same
//     with the check whether a selected file is still being written taken for real;
// (c) "new file" rules with size and date conditions and total-size and count rules that do not
//     fire, in the remembering cycle: (c~) nothing changed, (c%) the sizes of one entry in a
//     hundred changed between turns.
// (p) The rule wizard's preview: the folder listed with details, a rule on extension, size and
//     the newest files run over it with every entry new and what left each one out recorded,
//     and the rows it shows picked.
// File operations are counted instead of performed, so the folder stays as it is; so is the
// in-use check, which costs about what an operation on the file costs, except in (b').

#include "bench_folder.h"
#include "engine/monitor_cycle.h"
#include "engine/rule_preview.h"
#include "engine/system_environment.h"
#include "ratio_reporter.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <random>
#include <unistd.h>

namespace lp::bench {
namespace {

class CountingEnvironment : public SystemEnvironment {
public:
    explicit CountingEnvironment(bool checkUse = false) : checkUse_(checkUse) {}
    bool fileInUse(const std::string& path, bool listedAsPlainFile) override {
        ++inUseChecks;
        return checkUse_ && SystemEnvironment::fileInUse(path, listedAsPlainFile);
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
        SetFolderTimeBack(folder->path()); // as if filled a while ago
    }
    return folder->path();
}

// Picks share of the positions 0..count-1 at random, the same ones in every run.
std::vector<bool> randomShare(std::size_t count, std::size_t perHundred, unsigned seed) {
    std::vector<bool> picked(count, false);
    std::mt19937 random(seed);
    std::size_t wanted = count * perHundred / 100;
    while (wanted > 0) {
        const std::size_t at = random() % count;
        if (!picked[at]) {
            picked[at] = true;
            --wanted;
        }
    }
    return picked;
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
        benchmark::DoNotOptimize(CountEntries(folder));
}

void statusListing(benchmark::State& state) {
    const std::string& folder = folderOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(CountEntriesWithStatus(folder));
}

rServiceRules newFileService(const std::string& folder) {
    ruleacondrec ext;
    ext.rcond = FileExt;
    ext.rcondFileExt.ext = "mp3;ogg";
    return serviceOver(folder, {ruleOf(NewFile, {ext})});
}

// (a), (a0) A NewFile rule with an extension condition, the folder listed in full; each turn
// finds the given share of entries new, at random places of the listing.
void namesOnly(benchmark::State& state, std::size_t newPerHundred) {
    const auto entries = static_cast<std::size_t>(state.range(0));
    const std::string& folder = folderOf(entries);
    rServiceRules service = newFileService(folder);
    CountingEnvironment environment;
    RunServiceTurn(service, true, {}, environment);
    const std::vector<bool> fresh = randomShare(service.knownfiles.size(), newPerHundred, 5);
    std::vector<filerec> known;
    for (std::size_t i = 0; i < service.knownfiles.size(); ++i)
        if (!fresh[i])
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

void namesOnlyCycle(benchmark::State& state) {
    namesOnly(state, 1);
}
void namesOnlyCycleNothingNew(benchmark::State& state) {
    namesOnly(state, 0);
}

// (n) A rule on every file of the folder (a count trigger that always fires) whose name
// condition matches every entry against two wildcard patterns, the folder listed in full.
void namePatternCycle(benchmark::State& state) {
    const std::string& folder = folderOf(static_cast<std::size_t>(state.range(0)));
    ruleacondrec names;
    names.rcond = FileNameMatching;
    names.names = "scan_*;*invoice*";
    RuleRec rule = ruleOf(FileCount, {names});
    rule.fcnt = 0;
    rServiceRules service = serviceOver(folder, {rule});
    CountingEnvironment environment;
    for (auto _ : state)
        RunServiceTurn(service, false, {}, environment);
    state.counters["operations/cycle"] =
        static_cast<double>(environment.operations) / static_cast<double>(state.iterations());
}

// (a~) The remembering cycle over the unchanged folder.
void namesOnlyRemembered(benchmark::State& state) {
    const std::string& folder = folderOf(static_cast<std::size_t>(state.range(0)));
    rServiceRules service = newFileService(folder);
    CountingEnvironment environment;
    ServiceMemory memory;
    RunServiceTurn(service, true, {}, environment, &memory);
    for (auto _ : state)
        RunServiceTurn(service, false, {}, environment, &memory);
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

// (c) Size and date rules that act only on new files, and total-size and count rules whose limits
// the folder stays below.
rServiceRules quietDetailsService(const std::string& folder, std::int32_t entries) {
    ruleacondrec size;
    size.rcond = FileSize;
    size.rnum = cmpGreater;
    size.size = 20;
    ruleacondrec age;
    age.rcond = FileDate;
    age.rdnum = cmpGreater;
    age.rdays = 30;
    ruleacondrec newest;
    newest.rcond = FileDateNew;
    newest.newfilecnt = entries / 2;
    RuleRec total = ruleOf(TotalFileSize, {size});
    total.fsize = 1'000'000;
    RuleRec count = ruleOf(FileCount, {age});
    count.fcnt = entries * 2;
    return serviceOver(folder,
                       {ruleOf(NewFile, {size}), ruleOf(NewFile, {age, newest}), total, count});
}

void sizesAndDatesRemembered(benchmark::State& state, std::size_t changedPerHundred) {
    const auto entries = static_cast<std::int32_t>(state.range(0));
    const std::string& folder = folderOf(static_cast<std::size_t>(entries));
    rServiceRules service = quietDetailsService(folder, entries);
    CountingEnvironment environment;
    ServiceMemory memory;
    RunServiceTurn(service, true, {}, environment, &memory);
    std::vector<std::string> changed;
    const std::vector<bool> picked = randomShare(service.knownfiles.size(), changedPerHundred, 11);
    for (std::size_t i = 0; i < picked.size(); ++i)
        if (picked[i])
            changed.push_back(folder + "/" + service.knownfiles[i].name);
    off_t grow = 1;
    for (auto _ : state) {
        if (!changed.empty()) {
            state.PauseTiming();
            for (const std::string& path : changed)
                (void)!::truncate(path.c_str(), 40'000 + grow);
            grow = 1 - grow;
            state.ResumeTiming();
        }
        RunServiceTurn(service, false, {}, environment, &memory);
    }
    state.counters["operations/cycle"] =
        static_cast<double>(environment.operations) / static_cast<double>(state.iterations());
}

void sizesAndDatesRememberedSteady(benchmark::State& state) {
    sizesAndDatesRemembered(state, 0);
}
void sizesAndDatesRememberedOnePercent(benchmark::State& state) {
    sizesAndDatesRemembered(state, 1);
}

// (p) What the wizard works out, away from its window, after an edit of the rule.
void rulePreview(benchmark::State& state) {
    const auto entries = static_cast<std::int32_t>(state.range(0));
    const std::string& folder = folderOf(static_cast<std::size_t>(entries));
    ruleacondrec mp3;
    mp3.rcond = FileExt;
    mp3.rcondFileExt.ext = "mp3";
    ruleacondrec size;
    size.rcond = FileSize;
    size.rnum = cmpGreater;
    size.size = 20;
    ruleacondrec newest;
    newest.rcond = FileDateNew;
    newest.newfilecnt = entries / 10;
    const RuleRec rule = ruleOf(NewFile, {mp3, size, newest});
    std::size_t taken = 0;
    for (auto _ : state) {
        const RulePreview preview =
            PreviewRule(rule, "*.part", platform::ListFolder(folder, true), 0.0);
        benchmark::DoNotOptimize(EntriesToShow(preview, 300));
        taken = preview.taken;
    }
    state.counters["taken"] = static_cast<double>(taken);
}

constexpr std::int64_t kSizes[] = {1'000, 10'000, 100'000};

void sizes(benchmark::internal::Benchmark* benchmark) {
    for (const auto entries : kSizes)
        benchmark->Arg(entries);
    benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(namesListing)->Apply(sizes);
BENCHMARK(namesOnlyCycle)->Apply(sizes);
BENCHMARK(namesOnlyCycleNothingNew)->Apply(sizes);
BENCHMARK(namesOnlyRemembered)->Apply(sizes);
BENCHMARK(namePatternCycle)->Apply(sizes);
BENCHMARK(statusListing)->Apply(sizes);
BENCHMARK(sizesAndDatesCycle)->Apply(sizes);
BENCHMARK(sizesAndDatesCheckingUse)->Apply(sizes);
BENCHMARK(sizesAndDatesRememberedSteady)->Apply(sizes);
BENCHMARK(sizesAndDatesRememberedOnePercent)->Apply(sizes);
BENCHMARK(rulePreview)->Apply(sizes);
// The pairing of known and current names at a million entries, only when LARCHPOST_BENCH_MILLION
// is set: making the folder takes a minute or two.
void registerMillionEntries() {
    if (std::getenv("LARCHPOST_BENCH_MILLION") == nullptr)
        return;
    for (const auto& [name, function] :
         {std::pair{"namesListingMillion", &namesListing},
          std::pair{"namesOnlyCycleMillion", &namesOnlyCycle},
          std::pair{"namesOnlyCycleNothingNewMillion", &namesOnlyCycleNothingNew}})
        benchmark::RegisterBenchmark(name, function)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

std::vector<RatioLine> ratioLines() {
    std::vector<RatioLine> lines;
    for (const auto entries : kSizes) {
        const std::string n = std::to_string(entries);
        const auto add = [&](const std::string& label, const std::string& measured,
                             const std::string& baseline) {
            lines.push_back(
                {label + ", " + n + " entries", measured + "/" + n, baseline + "/" + n});
        };
        add("(a) names-only turn, 1% new / readdir", "namesOnlyCycle", "namesListing");
        add("(a0) names-only turn, none new / readdir", "namesOnlyCycleNothingNew", "namesListing");
        add("(a) 1% new at random places / none new", "namesOnlyCycle", "namesOnlyCycleNothingNew");
        add("(n) name-pattern rule over every entry / readdir", "namePatternCycle", "namesListing");
        add("(a~) remembered names-only turn, unchanged / readdir", "namesOnlyRemembered",
            "namesListing");
        add("(b) sizes-and-dates turn / readdir+fstatat", "sizesAndDatesCycle", "statusListing");
        add("(b') the same, in-use checks taken / readdir+fstatat", "sizesAndDatesCheckingUse",
            "statusListing");
        add("(c~) remembered sizes-and-dates turn, unchanged / readdir+fstatat",
            "sizesAndDatesRememberedSteady", "statusListing");
        add("(c%) remembered sizes-and-dates turn, 1% changed / readdir+fstatat",
            "sizesAndDatesRememberedOnePercent", "statusListing");
    }
    lines.push_back({"(a) 1% new at random places / none new, 1000000 entries",
                     "namesOnlyCycleMillion/1000000", "namesOnlyCycleNothingNewMillion/1000000"});
    lines.push_back({"(a0) names-only turn, none new / readdir, 1000000 entries",
                     "namesOnlyCycleNothingNewMillion/1000000", "namesListingMillion/1000000"});
    for (const char* name :
         {"namesListing", "namesOnlyCycle", "statusListing", "sizesAndDatesCycle"})
        lines.push_back({std::string(name) + ": 100,000 / 10,000 entries",
                         std::string(name) + "/100000", std::string(name) + "/10000"});
    return lines;
}

} // namespace
} // namespace lp::bench

int main(int argc, char** argv) {
    lp::bench::registerMillionEntries();
    return lp::bench::RunWithRatios(argc, argv, lp::bench::ratioLines());
}
