// Moving 10,000 files within one file system: a rule's move as a cycle makes it (the folder
// listed, each selected file asked whether it is still being written, moved, and the move written
// to the activity log) against GNU mv moving the same files, measured in the same run.

#include "bench_folder.h"
#include "engine/activity_log.h"
#include "engine/logging_environment.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"
#include "platform/folder_listing.h"
#include "ratio_reporter.h"

#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace lp::bench {
namespace {

// 10,000 files; LARCHPOST_BENCH_MOVE_FILES=N moves N instead (a short run to count system calls
// in, say).
std::size_t fileCount() {
    const char* count = std::getenv("LARCHPOST_BENCH_MOVE_FILES");
    return count != nullptr && std::atoi(count) > 0 ? static_cast<std::size_t>(std::atoi(count))
                                                    : 10'000;
}

struct MoveSetup {
    BenchFolder folder;
    std::string from = folder.sub("from");
    std::string to = folder.sub("to");
    std::vector<std::string> names;

    // Fills "from" again and empties "to"; not timed.
    void reset() {
        std::filesystem::remove_all(to);
        std::filesystem::create_directories(to);
        BenchFolder::fill(from, "track-", 0, fileCount(), false);
        if (names.empty())
            for (auto& entry :
                 platform::ListFolder(from, false).value_or(std::vector<platform::FolderEntry>{}))
                names.push_back(std::move(entry.name));
    }
};

// A folder with one "new file" rule that moves every new file, its known list empty: the turn
// lists the folder, checks each file for a writer, moves it and logs the move, as the programs do.
rServiceRules movingService(const MoveSetup& setup) {
    RuleRec rule;
    rule.rulename = "move";
    rule.enabled = true;
    rule.mcond = NewFile;
    ruleactionrec move;
    move.raction = rMove;
    move.racmove.filepath = setup.to;
    rule.actions = {move};
    rule.actioncnt = 1;
    rServiceRules service;
    service.serviceid = kOtherService;
    service.enabled = true;
    service.sharedir = setup.from;
    service.rulelist = {1, {rule}};
    return service;
}

void cycleMove(benchmark::State& state) {
    MoveSetup setup;
    setup.reset();
    SystemEnvironment system;
    ActivityLog log(setup.folder.sub("state") + "/activity.log");
    LoggingEnvironment logging(system, log);
    for (auto _ : state) {
        state.PauseTiming();
        rServiceRules service = movingService(setup);
        service.knownready = true; // an earlier turn saw the folder empty
        state.ResumeTiming();
        RunServiceTurn(service, false, {}, logging);
        state.PauseTiming();
        if (!std::filesystem::is_empty(setup.from))
            state.SkipWithError("the turn left files behind");
        setup.reset();
        state.ResumeTiming();
    }
}

void spawnAndWait(benchmark::State& state, std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        state.SkipWithError("the program could not be started");
        return;
    }
    ::waitpid(pid, nullptr, 0);
}

// mv given every name at once.
void gnuMv(benchmark::State& state) {
    MoveSetup setup;
    setup.reset();
    std::vector<std::string> args{"mv", "-t", setup.to};
    for (const auto& name : setup.names)
        args.push_back(setup.from + "/" + name);
    for (auto _ : state) {
        spawnAndWait(state, args);
        state.PauseTiming();
        setup.reset();
        state.ResumeTiming();
    }
}

// find listing the folder and handing its files to mv in batches, as one would from the shell.
void findExecMv(benchmark::State& state) {
    MoveSetup setup;
    setup.reset();
    for (auto _ : state) {
        spawnAndWait(state, {"find", setup.from, "-mindepth", "1", "-maxdepth", "1", "-type", "f",
                             "-exec", "mv", "-t", setup.to, "{}", "+"});
        state.PauseTiming();
        setup.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(cycleMove)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(findExecMv)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(gnuMv)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
} // namespace lp::bench

int main(int argc, char** argv) {
    return lp::bench::RunWithRatios(
        argc, argv,
        {{"move action / find -exec mv {} +, 10,000 files in one file system",
          "cycleMove/iterations:10", "findExecMv/iterations:10"},
         {"move action / mv given every name, 10,000 files in one file system",
          "cycleMove/iterations:10", "gnuMv/iterations:10"}});
}
