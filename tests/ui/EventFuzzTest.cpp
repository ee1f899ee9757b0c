#include "tests/ui/CDialogEventFuzzer.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Seeded runs of random events against the main dialog. The normal run takes a few seconds;
//   ONDELINE_FUZZ_EVENTS=1000000 ONDELINE_FUZZ_SEED=7 event_fuzz --gtest_filter=EventFuzz.*Seeded*
// is the long one (ctest -L long registers it). A failure names its seed and event; the same
// two variables replay it.

namespace {

constexpr long kShortRunEvents = 1500;                       // per seed in the normal test run
const std::vector<std::uint32_t> kShortRunSeeds = {1, 2, 3}; // fixed: the normal run never varies
constexpr long kReplayEvents = 400;

long EventsToRun() {
    const char* value = std::getenv("ONDELINE_FUZZ_EVENTS");
    return value != nullptr ? std::strtol(value, nullptr, 10) : kShortRunEvents;
}

std::vector<std::uint32_t> SeedsToRun() {
    const char* value = std::getenv("ONDELINE_FUZZ_SEED");
    if (value == nullptr) {
        return kShortRunSeeds;
    }
    return {static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10))};
}

long PeakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(EventFuzz, SeededRunsKeepEveryInvariantAfterEveryEvent) {
    const long events = EventsToRun();
    ASSERT_GT(events, 0) << "ONDELINE_FUZZ_EVENTS must be a positive count";
    for (const std::uint32_t seed : SeedsToRun()) {
        const auto start = std::chrono::steady_clock::now();
        CDialogEventFuzzer fuzzer(seed);
        const bool ok = fuzzer.Run(events);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const CDialogEventFuzzer::Counts& n = fuzzer.GetCounts();
        std::printf("event fuzz: seed %u, %ld events in %.1f s: %ld ticks (%ld frames checked, "
                    "%ld without a surface, %ld with Rain, %ld with Drift, %ld wraps), %ld clicks, "
                    "%ld drops, %ld resizes, "
                    "%ld minimises, %ld size choices, %ld toggles, %ld Enter/Escape, "
                    "%ld system commands (%ld About boxes), %ld closes, %ld allocation faults, "
                    "%ld screen looks (%ld off the X screen); peak memory %ld MB\n",
                    seed, n.events, seconds, n.ticks, n.framesChecked, n.framesSkipped,
                    n.rainyTicks, n.driftingTicks, n.wraps, n.clicks, n.dropsAdded, n.resizes,
                    n.minimises, n.sizeChoices, n.toggles, n.keys, n.systemCommands, n.aboutBoxes,
                    n.closes, n.allocationFaults, n.looks, n.looksOffScreen,
                    PeakResidentKilobytes() / 1024);
        std::fflush(stdout);
        ASSERT_TRUE(ok) << fuzzer.Failure() << "\nreplay: ONDELINE_FUZZ_SEED=" << seed
                        << " ONDELINE_FUZZ_EVENTS=" << n.events;
        EXPECT_EQ(n.events, events);
    }
}

// A failure is only worth its seed if the seed brings it back.
TEST(EventFuzz, TheSameSeedReplaysTheSameRun) {
    std::string first;
    {
        CDialogEventFuzzer fuzzer(11);
        ASSERT_TRUE(fuzzer.Run(kReplayEvents)) << fuzzer.Failure();
        first = fuzzer.Fingerprint();
    }
    CDialogEventFuzzer again(11);
    ASSERT_TRUE(again.Run(kReplayEvents)) << again.Failure();
    EXPECT_EQ(again.Fingerprint(), first);

    CDialogEventFuzzer other(12);
    ASSERT_TRUE(other.Run(kReplayEvents)) << other.Failure();
    EXPECT_NE(other.Fingerprint(), first);
}

} // namespace
