// How late a timer on the window's thread fires while a cycle copies a large file to another
// file system: with the cycle on the window's thread (as before) and on its own thread. Prints
// the worst lateness of a 10 ms timer in each arrangement. A figure, never pass/fail.
//
//   bench_window_lateness SOURCE_FOLDER DESTINATION_FOLDER [MiB]
//
// The two folders should be on different file systems (one tmpfs and the disk, say); the file
// (2048 MiB unless given) is written with real data, so no hole makes the copy free.

#include "desktop/cycle_thread.h"
#include "platform/file_operations.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, long long mebibytes) {
    std::ofstream out(path, std::ios::binary);
    std::string block(1 << 20, '\0');
    for (long long i = 0; i < mebibytes; ++i) {
        block[0] = static_cast<char>(i); // no two blocks alike, nothing a file system can share
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

// Runs one cycle that copies source to destination, with a 10 ms timer on this thread; gives
// back the worst lateness of the timer in milliseconds and the copy's duration.
std::pair<double, double> measure(lp::CycleThread::Mode mode, const fs::path& source,
                                  const fs::path& destination) {
    std::error_code result;
    QElapsedTimer copyClock;
    double copyMs = 0;
    lp::CycleThread cycles(
        [&](lp::ServiceTable&, bool) {
            copyClock.start();
            result = lp::platform::CopyFileReplacing(source.string(), destination.string());
            copyMs = static_cast<double>(copyClock.nsecsElapsed()) / 1e6;
        },
        mode);
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QElapsedTimer clock;
    qint64 last = 0;
    double worst = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, static_cast<double>(now - last) / 1e6 - 10.0);
        last = now;
    });
    QObject::connect(&cycles, &lp::CycleThread::cycleEnded, [&] {
        // A few ticks more, so that a tick held up until the very end counts too.
        QTimer::singleShot(50, [] { QCoreApplication::quit(); });
    });
    clock.start();
    tick.start();
    QTimer::singleShot(30, [&] { cycles.start({}, false); });
    QCoreApplication::exec();
    if (result)
        std::fprintf(stderr, "the copy failed: %s\n", result.message().c_str());
    fs::remove(destination);
    return {worst, copyMs};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOURCE_FOLDER DESTINATION_FOLDER [MiB]\n", argv[0]);
        return 2;
    }
    const long long mebibytes = argc > 3 ? std::stoll(argv[3]) : 2048;
    const fs::path source = fs::path(argv[1]) / "lateness-source.bin";
    const fs::path destination = fs::path(argv[2]) / "lateness-copy.bin";
    writeFile(source, mebibytes);
    for (const auto& [name, mode] :
         {std::pair{"cycle on the window's thread", lp::CycleThread::Mode::Inline},
          std::pair{"cycle on its own thread", lp::CycleThread::Mode::OwnThread}}) {
        const auto [worst, copyMs] = measure(mode, source, destination);
        std::printf(
            "%-30s copy of %lld MiB took %8.1f ms; worst lateness of a 10 ms timer: %8.1f ms\n",
            name, mebibytes, copyMs, worst);
    }
    fs::remove(source);
    return 0;
}
