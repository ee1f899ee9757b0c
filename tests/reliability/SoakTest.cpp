#include "ui/CRippleDlg.h"

#include "platform/winqt/paint/GdiQt.h"
#include "res/resource.h"
#include "ripple/DropSources.h"
#include "ripple/RandomSource.h"
#include "ripple/RippleDrop.h"
#include "ripple/RippleField.h"
#include "tests/platform/GdiHooks.h"
#include "tests/platform/QtWnd.h"
#include "tests/platform/SessionHooks.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

// A day of the program left alone with Rain and Drift on: the dialog, at 100 x 100, takes a tick
// every simulated 100 ms and paints each frame, and its memory must stay flat throughout. The
// simulated clock starts half a day before the 32-bit tick wraps, so the wrap comes at noon.
//   ONDELINE_SOAK_FRAMES=864000 soak_tests
// is the full day (ctest -L long registers it); the normal test run soaks a quarter of an hour.

namespace {

constexpr long kDayOfFrames = 864000;   // 24 h of 100 ms frames
constexpr long kShortSoakFrames = 9000; // a quarter of an hour, for the normal test run
constexpr long kSettledFrame = 10000;   // memory is measured from here on (earlier for short runs)
constexpr std::uint32_t kFramePeriod = 100;
constexpr std::uint32_t kHalfADay = 43200000; // ms
constexpr long kSamples = 24;                 // memory samples over the run, an hour apart
constexpr long kGrowthAllowanceKb = 1024;     // what the allocator may round up, no more
constexpr int kGrid = 100;

// AddressSanitizer keeps freed blocks back for a while to catch their use, so under it the
// process grows however well it gives memory back.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kFreedMemoryIsHeldBack = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kFreedMemoryIsHeldBack = true;
#else
constexpr bool kFreedMemoryIsHeldBack = false;
#endif
#else
constexpr bool kFreedMemoryIsHeldBack = false;
#endif

long FramesToRun() {
    const char* value = std::getenv("ONDELINE_SOAK_FRAMES");
    return value != nullptr ? std::strtol(value, nullptr, 10) : kShortSoakFrames;
}

long PeakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Resident and data (heap and stack) sizes now, from /proc/self/statm, in kilobytes.
struct Memory {
    long residentKb = 0;
    long dataKb = 0;
    long peakKb = 0;
};

Memory MemoryNow() {
    long pages = 0;
    long resident = 0;
    long shared = 0;
    long text = 0;
    long library = 0;
    long data = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident >> shared >> text >> library >> data;
    const long pageKb = sysconf(_SC_PAGESIZE) / 1024;
    return {resident * pageKb, data * pageKb, PeakResidentKb()};
}

class SoakTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWater(m_dlg.m_nNextDrop);
        ResetRand(); // the program's own rain, as every run has it
        SetTickSource([this] { return m_tick; });
    }

    void TearDown() override {
        if (IsWindow(m_dlg.m_hWnd)) {
            m_dlg.DestroyWindow();
        }
        SetTickSource({});
    }

    void CheckBox(int nID) {
        auto* pBox = qobject_cast<QAbstractButton*>(DialogItemWidget(&m_dlg, nID));
        ASSERT_NE(pBox, nullptr);
        QTest::mouseClick(pBox, Qt::LeftButton, {}, QPoint(4, pBox->height() / 2));
        ASSERT_TRUE(pBox->isChecked());
    }

    bool FrameIsTheSynthesis(const std::vector<RippleDrop>& before) {
        std::vector<RippleDrop> drops = before;
        const int stride = m_dlg.m_surface.Stride();
        std::vector<std::uint8_t> expected(static_cast<std::size_t>(stride) * kGrid);
        SynthesizeField(kGrid, kGrid, FieldOptions{true, false, false}, m_tick,
                        DropTable(drops.data(), kMaxDrops), expected.data(), stride, kGrid);
        return std::memcmp(m_dlg.m_surface.m_pBits, expected.data(), expected.size()) == 0;
    }

    std::uint32_t m_tick = 0;
    CRippleDlg m_dlg;
};

TEST_F(SoakTest, ADayOfRainAndDriftKeepsMemoryFlat) {
    const long frames = FramesToRun();
    ASSERT_GT(frames, 0) << "ONDELINE_SOAK_FRAMES must be a positive count";
    const long settled = std::min(kSettledFrame, frames / 8);
    const long sampleEvery = std::max(1L, frames / kSamples);
    // Half of the run's time before the wrap, so that the full day wraps at noon.
    m_tick = 0u - static_cast<std::uint32_t>(std::min<long>(kHalfADay, frames / 2 * kFramePeriod));

    ASSERT_TRUE(m_dlg.Create(IDD_MAIN));
    QWidget* pClient = WidgetOf(&m_dlg);
    ASSERT_NE(pClient, nullptr);
    m_dlg.SetTimer(2, 0x7FFFFFFF, nullptr); // the simulated clock alone ticks
    CheckBox(IDC_RAIN);
    CheckBox(IDC_DRIFT);
    ASSERT_EQ(m_dlg.m_nGridW, kGrid);

    const auto start = std::chrono::steady_clock::now();
    const int handles = LiveGdiHandleCount();
    Memory atSettled;
    Memory highest;
    long framesWithWater = 0;
    long mostLive = 0;
    long wraps = 0;
    long drops = 0;
    for (long frame = 1; frame <= frames; ++frame) {
        const std::uint32_t before = m_tick;
        m_tick += kFramePeriod;
        wraps += m_tick < before ? 1 : 0;
        const bool check = frame % sampleEvery == 0 || frame == settled;
        const std::vector<RippleDrop> table(std::begin(g_drops), std::end(g_drops));
        const int nextDrop = m_dlg.m_nNextDrop;
        m_dlg.SendMessage(WM_TIMER, 2, 0);
        QCoreApplication::processEvents(); // the paint the frame asked for

        drops += m_dlg.m_nNextDrop != nextDrop ? 1 : 0;
        long live = 0;
        for (const RippleDrop& drop : g_drops) {
            live += drop.active;
        }
        framesWithWater += live > 0 ? 1 : 0;
        mostLive = std::max(mostLive, live);
        if (!check) {
            continue;
        }
        ASSERT_TRUE(FrameIsTheSynthesis(table)) << "frame " << frame;
        for (const RippleDrop& drop : g_drops) {
            ASSERT_TRUE(std::isfinite(drop.x) && std::isfinite(drop.y)) << "frame " << frame;
        }
        ASSERT_EQ(LiveGdiHandleCount(), handles) << "graphics handles grow, frame " << frame;
        const Memory now = MemoryNow();
        if (frame == settled) {
            atSettled = now;
        }
        if (frame >= settled) {
            highest.residentKb = std::max(highest.residentKb, now.residentKb);
            highest.dataKb = std::max(highest.dataKb, now.dataKb);
        }
        std::printf("soak: frame %7ld, %5.2f h simulated, tick %10u: resident %ld kB, data %ld kB, "
                    "peak %ld kB, %ld drops live\n",
                    frame, static_cast<double>(frame) * kFramePeriod / 3.6e6, m_tick,
                    now.residentKb, now.dataKb, now.peakKb, live);
        std::fflush(stdout);
    }
    const Memory end = MemoryNow();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("soak: %ld frames (%.1f h simulated) at %d x %d with Rain and Drift in %.1f s; "
                "%ld drops fell, up to %ld live at once, water moving in %ld frames; "
                "%ld tick wrap(s); peak memory %ld kB at frame %ld and %ld kB at the end; "
                "resident %ld kB then, at most %ld kB since, %ld kB at the end\n",
                frames, static_cast<double>(frames) * kFramePeriod / 3.6e6, kGrid, kGrid, seconds,
                drops, mostLive, framesWithWater, wraps, atSettled.peakKb, settled, end.peakKb,
                atSettled.residentKb, highest.residentKb, end.residentKb);

    EXPECT_GT(drops, frames / 100) << "rain hardly fell";
    if (frames >= 2 * kHalfADay / kFramePeriod) {
        EXPECT_EQ(wraps, 1) << "the day did not cross the tick's wrap";
    }
    if (kFreedMemoryIsHeldBack) {
        std::printf("soak: AddressSanitizer holds freed memory in its quarantine, so the memory "
                    "figures above do not count; its leak check at exit does\n");
        return;
    }
    EXPECT_LE(end.peakKb - atSettled.peakKb, kGrowthAllowanceKb) << "peak memory grew";
    EXPECT_LE(highest.residentKb - atSettled.residentKb, kGrowthAllowanceKb) << "resident grew";
    EXPECT_LE(highest.dataKb - atSettled.dataKb, kGrowthAllowanceKb) << "the heap grew";
}

} // namespace
