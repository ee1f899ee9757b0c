#include "app/CRippleApp.h"
#include "platform/afx/Afx.h"
#include "tests/platform/QtWnd.h"
#include "tests/ui/CDialogEventFuzzer.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The whole program as it runs, from AfxWinMain to its end, driven from inside its modal loop
// by seeded random events: ticks, clicks, rain, drift, size choices, resizes, the About box.
// Made to run under valgrind (tools/scripts/memcheck.sh), which then sees every allocation of
// a real run and whether it was given back.
//
//   memcheck_driver [EVENTS [SEED]]

namespace {

constexpr long kDefaultEvents = 900; // about three hundred ticks among them
constexpr unsigned kDefaultSeed = 1;
constexpr int kDriverFailed = 3;         // exit status when an invariant broke
constexpr std::uint16_t kCalm = 0x0010;  // level 16: water without a ring
constexpr int kFirstFrameWaitMs = 60000; // valgrind makes everything slow

} // namespace

int main(int argc, char** argv) {
    const long events = argc > 1 ? std::strtol(argv[1], nullptr, 10) : kDefaultEvents;
    const auto seed =
        static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : kDefaultSeed);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // AfxWinMain takes the application object it finds; the driver needs one to post to the
    // modal loop before that loop exists.
    QApplication application(argc, argv);

    bool ok = false;
    bool firstFrame = false;
    CDialogEventFuzzer fuzzer(seed);
    PostToUi([&] {
        auto* pDlg = dynamic_cast<CRippleDlg*>(AfxGetMainWnd());
        // First the program's own timer, on the real clock, draws its first frames.
        firstFrame = pDlg != nullptr &&
                     QTest::qWaitFor(
                         [pDlg] {
                             const auto* pBits =
                                 static_cast<const std::uint16_t*>(pDlg->m_surface.m_pBits);
                             return pBits != nullptr && pBits[0] == kCalm;
                         },
                         kFirstFrameWaitMs);
        ok = firstFrame && fuzzer.RunOn(pDlg, events);
        if (pDlg != nullptr && WidgetOf(pDlg) != nullptr) {
            // As a person ends it: the close box.
            WidgetOf(pDlg)->window()->close();
        }
    });
    char name[] = "ondeline";
    char* programArgv[] = {name, nullptr};
    const int status = AfxWinMain(1, programArgv);

    const CDialogEventFuzzer::Counts& n = fuzzer.GetCounts();
    std::printf("memcheck driver: seed %u, %ld events: %ld ticks (%ld frames checked, %ld with "
                "Rain, %ld with Drift), %ld clicks, %ld drops, %ld resizes, %ld minimises, "
                "%ld size choices, %ld toggles, %ld About boxes; the program ended with "
                "status %d\n",
                seed, n.events, n.ticks, n.framesChecked, n.rainyTicks, n.driftingTicks, n.clicks,
                n.dropsAdded, n.resizes, n.minimises, n.sizeChoices, n.toggles, n.aboutBoxes,
                status);
    if (!ok) {
        std::fprintf(stderr, "memcheck driver: %s\n",
                     firstFrame ? fuzzer.Failure().c_str()
                                : "the program's own timer drew no first frame");
        return kDriverFailed;
    }
    return status;
}
