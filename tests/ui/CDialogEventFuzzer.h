#pragma once

// Drives the main dialog with a long, seeded, random sequence of what a person and time can do to
// it, and checks after every single event that the dialog's state is still sound. The same seed
// gives the same sequence, so a failure names its seed and event and can be replayed.

#include "ui/CRippleDlg.h"

#include <QMetaObject>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

class QWidget;

class CDialogEventFuzzer {
public:
    // What a run did, for the report.
    struct Counts {
        long events = 0;
        long ticks = 0;         // timer messages delivered
        long framesChecked = 0; // of those, frames rendered and compared pixel by pixel
        long framesSkipped = 0; // ticks while the surface could not be made
        long wraps = 0;         // ticks at which the 32-bit counter wrapped
        long rainyTicks = 0;    // ticks with the Rain box checked
        long driftingTicks = 0; // ticks with the Drift box checked
        long clicks = 0;
        long dropsAdded = 0; // by clicks and rain together
        long resizes = 0;
        long minimises = 0;
        long sizeChoices = 0;
        long toggles = 0;
        long keys = 0; // Enter and Escape
        long systemCommands = 0;
        long aboutBoxes = 0;
        long closes = 0; // the dialog closed and a new one opened
        long allocationFaults = 0;
        long looks = 0;          // screens compared with a whole paint and with the surface
        long looksOffScreen = 0; // of those, on X, windows the server could not show whole
    };

    explicit CDialogEventFuzzer(std::uint32_t seed);
    ~CDialogEventFuzzer();
    CDialogEventFuzzer(const CDialogEventFuzzer&) = delete;
    CDialogEventFuzzer& operator=(const CDialogEventFuzzer&) = delete;

    // Runs events on a dialog of the fuzzer's own, opening a new one whenever a close ends it.
    // False on the first broken invariant; Failure() then says which, where and after what.
    bool Run(long events);
    // Runs events on a dialog somebody else is running (the application's, inside DoModal). It
    // never closes that dialog; the caller ends it afterwards.
    bool RunOn(CRippleDlg* pDlg, long events);

    const std::string& Failure() const { return m_strFailure; }
    const Counts& GetCounts() const { return m_counts; }
    // A digest of everything the run left behind, to show that a seed replays exactly.
    std::string Fingerprint() const;

private:
    enum class EventKind {
        Tick,
        Click,
        Resize,
        Minimise,
        Restore,
        SizeChoice,
        Toggle,
        Key,
        SystemMenu,
        SystemCommand,
        Paint,
        Look,
        AllocationFault,
        Close,
    };

    bool RunEvents(long events);
    bool RunCheckedEvents(long events);
    void Attach(CRippleDlg* pDlg);
    void OpenOwnDialog();
    EventKind ChooseEvent();

    // Each event describes itself in m_strEvent, does what it does, and checks what it alone
    // can know; false on a broken invariant.
    bool DoEvent(EventKind kind);
    bool DoTick();
    bool DoClick();
    bool DoResize();
    bool DoMinimise();
    bool DoRestore();
    bool DoSizeChoice();
    bool DoToggle();
    bool DoKey();
    bool DoSystemMenu();
    bool DoSystemCommand();
    bool DoPaint();
    bool DoLook();
    bool DoAllocationFault();
    bool DoClose();

    bool RunAboutBox(const std::function<void()>& open);
    void Settle();
    void NoteLayoutSize();

    bool CheckInvariants();
    bool CheckFrame(const std::vector<RippleDrop>& before, int nextDropBefore,
                    long randCallsBefore);
    bool Fail(const std::string& what);

    int RandomInt(int low, int high);
    bool Chance(int percent);
    int NextRand();
    bool HasSurface() const;
    bool IsChecked(int nID) const;
    QWidget* Item(int nID) const;

    std::mt19937 m_events;     // chooses the events
    std::mt19937 m_rainSource; // the program's random source during the run
    std::uint32_t m_nSeed;
    std::uint32_t m_tick;
    long m_nRandCalls = 0;

    std::unique_ptr<CRippleDlg> m_pOwnDlg;
    CRippleDlg* m_pDlg = nullptr;
    QWidget* m_pClient = nullptr;
    bool m_bOwnsDialog = false;
    QMetaObject::Connection m_stateWatch; // notes the layout's size as the window is minimised

    // The client size the dialog's layout last worked from: a minimised window, or one sized to
    // nothing, keeps the layout it had.
    int m_nLayoutCx = 0;
    int m_nLayoutCy = 0;
    bool m_bRelaidOut = false; // the list or the Stretch box re-laid out during the event
    bool m_bSentinel = false;  // the tick under way must overwrite a surface marked unwritten

    std::vector<std::uint8_t> m_expected; // the frame the tick must give, as the surface holds it
    std::string m_strEvent;               // the event under way
    std::deque<std::string> m_history;    // the last events, for the failure message
    Counts m_counts;
    std::string m_strFailure;
};
