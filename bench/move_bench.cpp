// Moving 10,000 files within one file system: the move action of a rule against GNU mv moving
// the same files in one call.

#include "bench_folder.h"
#include "engine/logging_environment.h"
#include "engine/rule_actions.h"
#include "engine/system_environment.h"
#include "platform/folder_listing.h"
#include "ratio_reporter.h"

#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace lp::bench {
namespace {

constexpr std::size_t kFiles = 10'000;

struct MoveSetup {
    BenchFolder folder;
    std::string from = folder.sub("from");
    std::string to = folder.sub("to");
    std::vector<std::string> names;

    // Fills "from" again and empties "to"; not timed.
    void reset() {
        std::filesystem::remove_all(to);
        std::filesystem::create_directories(to);
        BenchFolder::fill(from, "track-", 0, kFiles, false);
        if (names.empty())
            for (auto& entry :
                 platform::ListFolder(from, false).value_or(std::vector<platform::FolderEntry>{}))
                names.push_back(std::move(entry.name));
    }
};

// The move action, its operations logged or not.
void ruleMove(benchmark::State& state, bool logged) {
    MoveSetup setup;
    setup.reset();
    CurrentFiles current;
    Selection selection;
    for (const auto& name : setup.names) {
        selection.push_back(static_cast<std::uint32_t>(current.entries.size()));
        current.entries.push_back({name, false, 0, 0.0, {}});
    }
    RuleRec rule;
    ruleactionrec move;
    move.raction = rMove;
    move.racmove.filepath = setup.to;
    rule.actions = {move};
    rule.actioncnt = 1;
    SystemEnvironment system;
    ActivityLog log(setup.folder.sub("state") + "/activity.log");
    LoggingEnvironment logging(system, log);
    CycleEnvironment& environment = logged ? static_cast<CycleEnvironment&>(logging) : system;
    for (auto _ : state) {
        RunRuleActions(rule, selection, current, setup.from, {}, environment);
        state.PauseTiming();
        setup.reset();
        state.ResumeTiming();
    }
}

void ruleMove(benchmark::State& state) {
    ruleMove(state, false);
}
void ruleMoveLogged(benchmark::State& state) {
    ruleMove(state, true);
}

void gnuMv(benchmark::State& state) {
    MoveSetup setup;
    setup.reset();
    std::vector<std::string> args{"mv", "-t", setup.to};
    for (const auto& name : setup.names)
        args.push_back(setup.from + "/" + name);
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        if (::posix_spawnp(&pid, "mv", nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("mv could not be started");
            break;
        }
        ::waitpid(pid, nullptr, 0);
        state.PauseTiming();
        setup.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(ruleMove)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(ruleMoveLogged)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(gnuMv)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
} // namespace lp::bench

int main(int argc, char** argv) {
    return lp::bench::RunWithRatios(argc, argv,
                                    {{"move action / GNU mv, 10,000 files in one file system",
                                      "ruleMove/iterations:10", "gnuMv/iterations:10"},
                                     {"move action logged / not logged, 10,000 files",
                                      "ruleMoveLogged/iterations:10", "ruleMove/iterations:10"}});
}
