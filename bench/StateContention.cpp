// How long the audio thread waits on the plug-in's locks while the main thread saves and loads
// state without pause, as a host's undo, preset browsing and autosave do. The CLAP edition runs
// through the host library: one thread processes 64-frame blocks, another alternates two saved
// states, and --busy adds threads that only spin (a host's other work).
//
// The waits are measured where they happen: this program puts its own pthread_mutex_lock in
// front of the C library's, so every lock the plug-in takes on the audio thread is counted and
// timed. Any CLAP binary of the plug-in can be measured, e.g. an older build for comparison:
//   corvane_contention [--seconds S] [--busy N] [path/to/CorvanePhaser.clap]
#include "hostkit/ClapHost.h"
#include "hostkit/Error.h"

#include <dlfcn.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

thread_local bool tAudio = false;

struct LockStats
{
    std::uint64_t locks = 0;  // blocking acquisitions
    std::uint64_t tries = 0;  // attempts that never wait
    std::uint64_t waited = 0; // acquisitions that found the lock held
    double totalWait = 0.0;   // seconds
    double longestWait = 0.0; // seconds
};
LockStats gAudio; // written by the audio thread only

using LockFunction = int (*)(pthread_mutex_t*);

LockFunction Real(const char* name)
{
    return reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" __attribute__((visibility("default"))) int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    static const LockFunction real = Real("pthread_mutex_lock");
    static const LockFunction tryLock = Real("pthread_mutex_trylock");
    if (!tAudio)
        return real(mutex);
    ++gAudio.locks;
    if (tryLock(mutex) == 0)
        return 0;
    ++gAudio.waited;
    const auto start = Clock::now();
    const int result = real(mutex);
    const double wait = std::chrono::duration<double>(Clock::now() - start).count();
    gAudio.totalWait += wait;
    gAudio.longestWait = std::max(gAudio.longestWait, wait);
    return result;
}

extern "C" __attribute__((visibility("default"))) int pthread_mutex_trylock(pthread_mutex_t* mutex)
{
    static const LockFunction real = Real("pthread_mutex_trylock");
    if (tAudio)
        ++gAudio.tries;
    return real(mutex);
}

namespace
{

constexpr std::uint32_t kBlock = 64;
constexpr double kRate = 48000.0;

struct Options
{
    double seconds = 10.0;
    int busy = 0;
    std::string binary = CORVANE_CLAP_BINARY;
};

Options Parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if ((arg == "--seconds" || arg == "--busy") && i + 1 < argc)
        {
            char* end = nullptr;
            const double value = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(value >= 0.0 && value <= 3600.0))
                throw HostKit::Error(arg + " needs a number from 0 to 3600");
            if (arg == "--seconds")
                options.seconds = value;
            else
                options.busy = static_cast<int>(value);
        }
        else if (!arg.empty() && arg[0] != '-')
            options.binary = arg;
        else
            throw HostKit::Error("unknown argument " + arg);
    }
    return options;
}

struct Run
{
    std::uint64_t blocks = 0;
    std::uint64_t states = 0;
    double longestBlock = 0.0;
    LockStats audio;
};

Run Measure(const Options& options, bool contend)
{
    HostKit::ClapModule module(options.binary);
    HostKit::ClapInstance plugin(module, "com.corvane.phaser");
    // Two states that differ in every continuous setting, so each load changes the sound.
    std::vector<std::uint8_t> first, second;
    plugin.SaveState(first);
    for (clap_id id : {0u, 6u, 11u})
        plugin.AddParameter(0, id, 0.3);
    plugin.Flush();
    plugin.SaveState(second);
    if (!plugin.Activate(kRate, kBlock))
        throw HostKit::Error("the plug-in refused to activate");
    plugin.SetTransport(120.0, 0.0);

    std::atomic<bool> stop{false};
    Run run;
    std::vector<std::thread> spinners;
    for (int i = 0; i < options.busy; ++i)
        spinners.emplace_back(
            [&stop]
            {
                while (!stop.load(std::memory_order_relaxed))
                {
                }
            });
    std::thread host;
    if (contend)
        host = std::thread(
            [&]
            {
                std::vector<std::uint8_t> saved;
                while (!stop.load(std::memory_order_relaxed))
                {
                    plugin.LoadState(run.states % 2 == 0 ? first : second);
                    plugin.SaveState(saved);
                    ++run.states;
                }
            });

    std::vector<float> left(kBlock, 0.25f), right(kBlock, -0.25f), outL(kBlock), outR(kBlock);
    gAudio = {};
    tAudio = true;
    const auto end = Clock::now() + std::chrono::duration<double>(options.seconds);
    while (Clock::now() < end)
    {
        const auto start = Clock::now();
        plugin.Process(left.data(), right.data(), outL.data(), outR.data(), kBlock);
        run.longestBlock =
            std::max(run.longestBlock, std::chrono::duration<double>(Clock::now() - start).count());
        ++run.blocks;
    }
    tAudio = false;
    run.audio = gAudio;
    stop = true;
    if (host.joinable())
        host.join();
    for (std::thread& spinner : spinners)
        spinner.join();
    plugin.Deactivate();
    return run;
}

void Report(const char* label, const Run& run)
{
    const double blocks = static_cast<double>(std::max<std::uint64_t>(run.blocks, 1));
    std::printf("%-22s blocks %8llu  state loads+saves %7llu  locks/block %.2f  tries/block %.2f  "
                "waits %6llu  longest wait %8.1f us  total wait %9.1f us  longest block %8.1f us\n",
                label, static_cast<unsigned long long>(run.blocks),
                static_cast<unsigned long long>(run.states),
                static_cast<double>(run.audio.locks) / blocks,
                static_cast<double>(run.audio.tries) / blocks,
                static_cast<unsigned long long>(run.audio.waited), run.audio.longestWait * 1e6,
                run.audio.totalWait * 1e6, run.longestBlock * 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    try
    {
        const Options options = Parse(argc, argv);
        std::printf("%s, %u-frame blocks at %.0f Hz, %.1f s each, %d busy threads\n",
                    options.binary.c_str(), kBlock, kRate, options.seconds, options.busy);
        Report("alone", Measure(options, false));
        Report("state loads and saves", Measure(options, true));
        return 0;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "corvane_contention: %s\n", error.what());
        return 1;
    }
}
