#include "tests/ui/CDialogEventFuzzer.h"

#include "app/CRippleApp.h"
#include "platform/winqt/paint/GdiQt.h"
#include "res/resource.h"
#include "ripple/DropSources.h"
#include "ripple/RandomSource.h"
#include "ripple/RippleField.h"
#include "tests/platform/GdiHooks.h"
#include "tests/platform/QtWnd.h"
#include "tests/platform/SessionHooks.h"
#include "ui/DisplayLayout.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <sstream>

namespace {

constexpr UINT_PTR kTimerId = 2;            // the dialog's animation timer
constexpr UINT kNeverPeriod = INT_MAX;      // the timer re-armed: only the fuzzer's ticks come
constexpr std::uint32_t kFramePeriod = 100; // the ordinary step between two ticks
constexpr int kLongestJump = 20000;         // past a drop's lifetime, so drops retire
constexpr int kNearWrap = 3000;             // ticks this close below 2^32 soon wrap
constexpr WORD kSentinel = 0xDEAD;          // bit 15 set: no frame ever writes this
constexpr int kSizeStep = 25;               // list item i is a grid of 25 x (i + 1) cells
constexpr int kSizeCount = 8;
constexpr int kMaxSide = 4000;                 // the largest window the fuzzer asks for
constexpr int kOutsideReach = 300;             // clicks land this far outside the client area
constexpr double kPositionSlack = 1.0 / 1024;  // a place worked out by dividing comes back whole
constexpr int kLargestLook = 1200;             // screen grabs only up to this size; they cost
constexpr int kHistoryLength = 12;             // events told in a failure message
constexpr int kWaitMs = 5000;                  // for the About box to open and close
constexpr UINT kLowBits = 0xF;                 // the system's own part of a system command
constexpr UINT kUnknownCommand = 0xF100;       // SC_KEYMENU: the default processing ignores it here
constexpr std::uint32_t kRainSeedMix = 0x5EED; // the rain's generator starts apart from the events'

const int kBoxes[] = {IDC_RAIN, IDC_DRIFT, IDC_ADDCOLOR, IDC_SPECTRUM, IDC_STRETCH};
const char* const kBoxNames[] = {"Rain", "Drift", "Add Color", "Spectrum", "Stretch"};

// How often each event comes, out of the sum of the weights.
struct EventWeight {
    int tick = 34;
    int click = 18;
    int resize = 8;
    int minimise = 2;
    int restore = 3;
    int sizeChoice = 8;
    int toggle = 10;
    int key = 4;
    int systemMenu = 3;
    int systemCommand = 2;
    int paint = 4;
    int look = 2;
    int allocationFault = 1;
    int close = 1;
};

std::string Describe(const RECT& rc) {
    std::ostringstream out;
    out << "(" << rc.left << ", " << rc.top << ")-(" << rc.right << ", " << rc.bottom << ")";
    return out.str();
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameDrop(const RippleDrop& a, const RippleDrop& b) {
    return a.active == b.active && a.x == b.x && a.y == b.y && a.tick == b.tick;
}

std::string Describe(const RippleDrop& drop) {
    std::ostringstream out;
    out << "{" << drop.active << ", " << drop.x << ", " << drop.y << ", " << drop.tick << "}";
    return out.str();
}

WORD PixelAt(const void* pBits, int stride, int rows, int column, int row) {
    // The picture's top row is the last row in memory.
    const auto* pBytes = static_cast<const std::uint8_t*>(pBits);
    WORD pixel = 0;
    std::memcpy(&pixel, pBytes + static_cast<std::ptrdiff_t>(rows - 1 - row) * stride + 2 * column,
                sizeof pixel);
    return pixel;
}

// What the screen shows for a 16-bit pixel, by Qt's own conversion of the format.
QRgb ScreenColour(WORD pixel) {
    QImage one(1, 1, QImage::Format_RGB555);
    std::memcpy(one.bits(), &pixel, sizeof pixel);
    return one.pixel(0, 0) & 0xFFFFFF;
}

struct FreeReply {
    void operator()(void* pReply) const { std::free(pReply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// Every request sent before this one has been handled once its answer is back: the server
// handles one connection's requests in order.
void RoundTrip(xcb_connection_t* pConnection) {
    Reply<xcb_get_input_focus_reply_t>(
        xcb_get_input_focus_reply(pConnection, xcb_get_input_focus(pConnection), nullptr));
}

// The device pixels the X server holds for a rectangle of a top-level window, in RGB32; a null
// image, and why in what, when the server cannot give them or gives them in a form not handled.
QImage ServerPixels(xcb_connection_t* pConnection, xcb_window_t window, const QRect& rect,
                    std::string& what) {
    const xcb_setup_t* pSetup = xcb_get_setup(pConnection);
    const xcb_screen_t* pScreen = xcb_setup_roots_iterator(pSetup).data;
    const Reply<xcb_translate_coordinates_reply_t> place(xcb_translate_coordinates_reply(
        pConnection, xcb_translate_coordinates(pConnection, window, pScreen->root, 0, 0), nullptr));
    const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        pConnection, xcb_get_window_attributes(pConnection, window), nullptr));
    if (place == nullptr || attributes == nullptr) {
        what = "the X server does not know the window";
        return {};
    }
    // The server gives only what lies on the screen.
    const QRect onScreen = rect.translated(place->dst_x, place->dst_y);
    if (!QRect(0, 0, pScreen->width_in_pixels, pScreen->height_in_pixels).contains(onScreen)) {
        return {};
    }
    const xcb_visualtype_t* pVisual = nullptr;
    for (auto depths = xcb_screen_allowed_depths_iterator(pScreen); depths.rem != 0;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem != 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == attributes->visual) {
                pVisual = visuals.data;
            }
        }
    }
    const Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        pConnection,
        xcb_get_image(pConnection, XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                      static_cast<std::int16_t>(rect.x()), static_cast<std::int16_t>(rect.y()),
                      static_cast<std::uint16_t>(rect.width()),
                      static_cast<std::uint16_t>(rect.height()), ~0U),
        nullptr));
    int bitsPerPixel = 0;
    for (auto formats = xcb_setup_pixmap_formats_iterator(pSetup); formats.rem != 0;
         xcb_format_next(&formats)) {
        if (image != nullptr && formats.data->depth == image->depth) {
            bitsPerPixel = formats.data->bits_per_pixel;
        }
    }
    const auto bytes = static_cast<std::size_t>(rect.width()) * rect.height() * 4;
    std::ostringstream out;
    if (image == nullptr) {
        out << "the X server gave no image of the window at " << onScreen.x() << ", "
            << onScreen.y();
    } else if (pVisual == nullptr || pVisual->_class != XCB_VISUAL_CLASS_TRUE_COLOR ||
               pVisual->red_mask != 0xFF0000 || pVisual->green_mask != 0xFF00 ||
               pVisual->blue_mask != 0xFF || bitsPerPixel != 32 ||
               pSetup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST ||
               static_cast<std::size_t>(xcb_get_image_data_length(image.get())) != bytes) {
        out << "the window's pixels come in a form the look does not read: visual class "
            << (pVisual != nullptr ? pVisual->_class : -1) << std::hex << ", masks "
            << (pVisual != nullptr ? pVisual->red_mask : 0) << " "
            << (pVisual != nullptr ? pVisual->green_mask : 0) << " "
            << (pVisual != nullptr ? pVisual->blue_mask : 0) << std::dec << ", " << bitsPerPixel
            << " bits a pixel, byte order " << int{pSetup->image_byte_order};
    }
    what = out.str();
    if (!what.empty()) {
        return {};
    }
    // Little-endian 0x00RRGGBB words are RGB32's own layout.
    QImage pixels(rect.size(), QImage::Format_RGB32);
    std::memcpy(pixels.bits(), xcb_get_image_data(image.get()), bytes);
    return pixels;
}

// The first device pixel where two RGB32 pictures of one size differ, or (-1, -1).
QPoint FirstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return {0, 0};
    }
    for (int y = 0; y < a.height(); ++y) {
        const auto* pA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if ((pA[x] & 0xFFFFFF) != (pB[x] & 0xFFFFFF)) {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform says, for every menu it opens, that it cannot raise it or grab the
// keyboard for it; a long run would drown in that.
void QuietMenuHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("This plugin does not support"))) {
        return;
    }
    if (g_previousHandler != nullptr) {
        g_previousHandler(type, context, text);
    }
}

} // namespace

CDialogEventFuzzer::CDialogEventFuzzer(std::uint32_t seed)
    : m_events(seed), m_rainSource(seed ^ kRainSeedMix), m_nSeed(seed), m_tick(0) {}

CDialogEventFuzzer::~CDialogEventFuzzer() {
    QObject::disconnect(m_stateWatch);
    if (m_bOwnsDialog && m_pOwnDlg != nullptr && IsWindow(m_pOwnDlg->m_hWnd)) {
        m_pOwnDlg->DestroyWindow();
    }
    if (theApp.m_pMainWnd == m_pOwnDlg.get()) {
        theApp.m_pMainWnd = nullptr;
    }
}

bool CDialogEventFuzzer::Run(long events) {
    // The dialog opened below starts from clear water, as the program's does.
    m_bOwnsDialog = true;
    m_tick = static_cast<std::uint32_t>(m_events());
    SetTickSource([this] { return m_tick; });
    SetRandSource([this] { return NextRand(); });
    OpenOwnDialog();
    const bool ok = m_pDlg != nullptr ? RunEvents(events) : Fail("the dialog did not open");
    SetTickSource({});
    SetRandSource({});
    return ok;
}

bool CDialogEventFuzzer::RunOn(CRippleDlg* pDlg, long events) {
    m_bOwnsDialog = false;
    m_tick = static_cast<std::uint32_t>(m_events());
    SetTickSource([this] { return m_tick; });
    SetRandSource([this] { return NextRand(); });
    Attach(pDlg);
    const bool ok = m_pDlg != nullptr ? RunEvents(events) : Fail("there is no dialog to drive");
    SetTickSource({});
    SetRandSource({});
    return ok;
}

void CDialogEventFuzzer::OpenOwnDialog() {
    m_pDlg = nullptr;
    m_pClient = nullptr;
    if (theApp.m_pMainWnd == m_pOwnDlg.get()) {
        theApp.m_pMainWnd = nullptr;
    }
    m_pOwnDlg = std::make_unique<CRippleDlg>();
    if (m_pOwnDlg->Create(IDD_MAIN) == FALSE) {
        return;
    }
    // As the application does: the About box then opens over this dialog.
    theApp.m_pMainWnd = m_pOwnDlg.get();
    Attach(m_pOwnDlg.get());
}

void CDialogEventFuzzer::Attach(CRippleDlg* pDlg) {
    m_pDlg = pDlg;
    m_pClient = pDlg != nullptr ? WidgetOf(pDlg) : nullptr;
    if (m_pClient == nullptr) {
        m_pDlg = nullptr;
        return;
    }
    // The fuzzer is the clock: the dialog's own timer must not tick in between.
    m_pDlg->SetTimer(kTimerId, kNeverPeriod, nullptr);
    // The list and the Stretch box re-lay out with whatever the client size is, even in a
    // minimised window; these tell the layout check that they did.
    if (auto* pList = qobject_cast<QComboBox*>(Item(IDC_SIZE))) {
        QObject::connect(pList, &QComboBox::activated, pList, [this] { m_bRelaidOut = true; });
    }
    if (auto* pStretch = qobject_cast<QAbstractButton*>(Item(IDC_STRETCH))) {
        QObject::connect(pStretch, &QAbstractButton::clicked, pStretch,
                         [this] { m_bRelaidOut = true; });
    }
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        // The server shows a look only if all of it lies on the screen: the window's corner at
        // the screen's leaves room for the largest.
        m_pClient->window()->move(0, 0);
    }
    // Qt on X without a window manager may hear from the server that the window is minimised
    // only after the same event re-laid it out at a new size: that size is the layout's.
    QObject::disconnect(m_stateWatch);
    if (QWindow* pHandle = m_pClient->windowHandle()) {
        m_stateWatch = QObject::connect(pHandle, &QWindow::windowStateChanged, pHandle, [this] {
            if (m_pDlg != nullptr && m_pDlg->IsIconic() == FALSE) {
                NoteLayoutSize();
            }
        });
    }
    Settle();
    m_bRelaidOut = true;
    NoteLayoutSize();
}

bool CDialogEventFuzzer::RunEvents(long events) {
    g_previousHandler = qInstallMessageHandler(QuietMenuHandler);
    const bool ok = RunCheckedEvents(events);
    qInstallMessageHandler(g_previousHandler);
    return ok;
}

bool CDialogEventFuzzer::RunCheckedEvents(long events) {
    if (!CheckInvariants()) {
        return false;
    }
    for (long i = 0; i < events; ++i) {
        m_counts.events = i + 1;
        const EventKind kind = ChooseEvent();
        m_strEvent.clear();
        const bool done = DoEvent(kind);
        m_history.push_back(m_strEvent);
        if (static_cast<int>(m_history.size()) > kHistoryLength) {
            m_history.pop_front();
        }
        if (!done) {
            return false;
        }
        // Whatever the event left for later (paints above all) happens before the next.
        QCoreApplication::processEvents();
        NoteLayoutSize();
        if (!CheckInvariants()) {
            return false;
        }
    }
    return true;
}

CDialogEventFuzzer::EventKind CDialogEventFuzzer::ChooseEvent() {
    const EventWeight w;
    const std::pair<EventKind, int> table[] = {
        {EventKind::Tick, w.tick},
        {EventKind::Click, w.click},
        {EventKind::Resize, w.resize},
        {EventKind::Minimise, w.minimise},
        {EventKind::Restore, w.restore},
        {EventKind::SizeChoice, w.sizeChoice},
        {EventKind::Toggle, w.toggle},
        {EventKind::Key, w.key},
        {EventKind::SystemMenu, w.systemMenu},
        {EventKind::SystemCommand, w.systemCommand},
        {EventKind::Paint, w.paint},
        {EventKind::Look, w.look},
        {EventKind::AllocationFault, w.allocationFault},
        // A dialog somebody else runs is never closed by the fuzzer.
        {EventKind::Close, m_bOwnsDialog ? w.close : 0},
    };
    int total = 0;
    for (const auto& entry : table) {
        total += entry.second;
    }
    int pick = RandomInt(0, total - 1);
    for (const auto& entry : table) {
        if (pick < entry.second) {
            return entry.first;
        }
        pick -= entry.second;
    }
    return EventKind::Tick;
}

bool CDialogEventFuzzer::DoEvent(EventKind kind) {
    switch (kind) {
    case EventKind::Tick:
        return DoTick();
    case EventKind::Click:
        return DoClick();
    case EventKind::Resize:
        return DoResize();
    case EventKind::Minimise:
        return DoMinimise();
    case EventKind::Restore:
        return DoRestore();
    case EventKind::SizeChoice:
        return DoSizeChoice();
    case EventKind::Toggle:
        return DoToggle();
    case EventKind::Key:
        return DoKey();
    case EventKind::SystemMenu:
        return DoSystemMenu();
    case EventKind::SystemCommand:
        return DoSystemCommand();
    case EventKind::Paint:
        return DoPaint();
    case EventKind::Look:
        return DoLook();
    case EventKind::AllocationFault:
        return DoAllocationFault();
    case EventKind::Close:
        return DoClose();
    }
    return true;
}

// Time moves on by a frame, stands still, jumps, or comes up to the 32-bit wrap.
bool CDialogEventFuzzer::DoTick() {
    const int variant = RandomInt(0, 99);
    const std::uint32_t before = m_tick;
    if (variant < 55) {
        m_tick += kFramePeriod;
    } else if (variant < 65) {
        // stands still
    } else if (variant < 85) {
        m_tick += static_cast<std::uint32_t>(RandomInt(1, kLongestJump));
    } else if (variant < 93) {
        m_tick = UINT32_MAX - static_cast<std::uint32_t>(RandomInt(0, kNearWrap));
    } else {
        m_tick += static_cast<std::uint32_t>(m_events());
    }
    std::ostringstream out;
    out << "tick " << before << " -> " << m_tick;
    m_strEvent = out.str();
    if (variant < 93 && m_tick < before) {
        ++m_counts.wraps;
    }

    const std::vector<RippleDrop> drops(std::begin(g_drops), std::end(g_drops));
    const int nextDrop = m_pDlg->m_nNextDrop;
    const long randCalls = m_nRandCalls;
    // With a drop in the table the tick must draw every cell afresh. Calm water it may leave as
    // it is, since drawing it again would give the very same pixels; either way the surface must
    // hold the frame of this tick afterwards.
    const bool anyDrop = std::any_of(drops.begin(), drops.end(),
                                     [](const RippleDrop& drop) { return drop.active != 0; });
    m_bSentinel = HasSurface() && anyDrop;
    if (m_bSentinel) {
        m_pDlg->m_surface.Fill(kSentinel);
    }
    m_counts.rainyTicks += IsChecked(IDC_RAIN) ? 1 : 0;
    m_counts.driftingTicks += IsChecked(IDC_DRIFT) ? 1 : 0;
    m_pDlg->SendMessage(WM_TIMER, kTimerId, 0);
    ++m_counts.ticks;
    return CheckFrame(drops, nextDrop, randCalls);
}

// The frame the tick rendered must be whole and exactly the synthesis of the drops it started
// from; the table afterwards holds those drops moved and retired, plus at most one of rain.
bool CDialogEventFuzzer::CheckFrame(const std::vector<RippleDrop>& before, int nextDropBefore,
                                    long randCallsBefore) {
    if (!HasSurface()) {
        ++m_counts.framesSkipped;
        if (m_nRandCalls != randCallsBefore || m_pDlg->m_nNextDrop != nextDropBefore ||
            !std::equal(before.begin(), before.end(), std::begin(g_drops), SameDrop)) {
            return Fail("a tick without a surface changed the drops or drew rain");
        }
        return true;
    }
    ++m_counts.framesChecked;
    const CDibSurface& surface = m_pDlg->m_surface;
    const int width = m_pDlg->m_nGridW;
    const int height = m_pDlg->m_nGridH;
    const int stride = surface.Stride();

    std::vector<RippleDrop> expectedDrops = before;
    FieldOptions options;
    options.drift = IsChecked(IDC_DRIFT);
    options.spectrum = IsChecked(IDC_SPECTRUM);
    options.addColor = IsChecked(IDC_ADDCOLOR);
    m_expected.assign(static_cast<std::size_t>(stride) * height, 0);
    SynthesizeField(width, height, options, m_tick, DropTable(expectedDrops.data(), kMaxDrops),
                    m_expected.data(), stride, height);

    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const WORD got = PixelAt(surface.m_pBits, stride, height, column, row);
            const WORD want = PixelAt(m_expected.data(), stride, height, column, row);
            if (m_bSentinel && got == kSentinel) {
                return Fail("the frame left cell (" + std::to_string(column) + ", " +
                            std::to_string(row) + ") unwritten");
            }
            if (got != want) {
                std::ostringstream out;
                out << "cell (" << column << ", " << row << ") is " << std::hex << got
                    << ", the synthesis gives " << want;
                return Fail(out.str());
            }
        }
        // The padding at the end of a row belongs to no cell; the frame leaves it alone.
        if (!m_bSentinel) {
            continue;
        }
        const auto* pRow = static_cast<const std::uint8_t*>(surface.m_pBits) +
                           static_cast<std::ptrdiff_t>(row) * stride;
        for (int at = 2 * width; at + 1 < stride; at += 2) {
            WORD padding = 0;
            std::memcpy(&padding, pRow + at, sizeof padding);
            if (padding != kSentinel) {
                return Fail("the frame wrote into the padding of memory row " +
                            std::to_string(row));
            }
        }
    }

    const bool rain = IsChecked(IDC_RAIN);
    const int nextDrop = m_pDlg->m_nNextDrop;
    for (int k = 0; k < kMaxDrops; ++k) {
        if (SameDrop(g_drops[k], expectedDrops[static_cast<std::size_t>(k)])) {
            continue;
        }
        // Only rain may add a drop: a cell of the grid, fallen now, in the next slot.
        const RippleDrop& drop = g_drops[k];
        const bool rained = rain && k == nextDropBefore && nextDrop == (k + 1) % kMaxDrops &&
                            drop.active == 1 && drop.tick == m_tick &&
                            drop.x == std::floor(drop.x) && drop.y == std::floor(drop.y) &&
                            drop.x >= 0 && drop.x < width && drop.y >= 0 && drop.y < height;
        if (!rained) {
            return Fail("slot " + std::to_string(k) + " holds " + Describe(drop) +
                        " after the frame, not " +
                        Describe(expectedDrops[static_cast<std::size_t>(k)]));
        }
        ++m_counts.dropsAdded;
    }
    if (!rain && m_nRandCalls != randCallsBefore) {
        return Fail("it rained with the Rain box unchecked");
    }
    return true;
}

// A click inside the picture, on its edges, anywhere in the client area or outside it.
bool CDialogEventFuzzer::DoClick() {
    ++m_counts.clicks;
    // The picture and the place clicked are in device pixels; a click lands on a logical pixel,
    // and the program hears of the device pixel where that pixel starts.
    const RECT rc = m_pDlg->m_rcDisplay;
    const double ratio = m_pClient->devicePixelRatio();
    const auto device = [ratio](int logical) {
        return static_cast<int>(std::floor(logical * ratio + kPositionSlack));
    };
    const int cw = device(m_pClient->width());
    const int ch = device(m_pClient->height());
    const int variant = RandomInt(0, 99);
    int x = 0;
    int y = 0;
    if (variant < 40 && rc.right > rc.left && rc.bottom > rc.top) {
        x = RandomInt(rc.left, rc.right - 1);
        y = RandomInt(rc.top, rc.bottom - 1);
    } else if (variant < 65) {
        const int xs[] = {static_cast<int>(rc.left) - 1, static_cast<int>(rc.left),
                          static_cast<int>(rc.right) - 1, static_cast<int>(rc.right),
                          RandomInt(std::min(rc.left, rc.right), std::max(rc.left, rc.right))};
        const int ys[] = {static_cast<int>(rc.top) - 1, static_cast<int>(rc.top),
                          static_cast<int>(rc.bottom) - 1, static_cast<int>(rc.bottom),
                          RandomInt(std::min(rc.top, rc.bottom), std::max(rc.top, rc.bottom))};
        x = xs[RandomInt(0, 4)];
        y = ys[RandomInt(0, 4)];
    } else if (variant < 85 && cw > 0 && ch > 0) {
        x = RandomInt(0, cw - 1);
        y = RandomInt(0, ch - 1);
    } else {
        x = RandomInt(-kOutsideReach, cw + kOutsideReach);
        y = Chance(50) ? RandomInt(-kOutsideReach, -1) : RandomInt(ch, ch + kOutsideReach);
        if (Chance(50)) {
            std::swap(x, y);
        }
    }

    const auto logical = [ratio](int at) {
        return static_cast<int>(std::floor((at + kPositionSlack) / ratio));
    };
    const QPoint point(logical(x), logical(y));
    x = device(point.x());
    y = device(point.y());
    // A click on a box is the box's; the list's own drop-down is left alone.
    QWidget* pTarget = m_pClient->rect().contains(point) ? m_pClient->childAt(point) : nullptr;
    if (qobject_cast<QAbstractButton*>(pTarget) == nullptr) {
        pTarget = m_pClient;
    }
    std::ostringstream out;
    out << "click at (" << x << ", " << y << ")" << (pTarget != m_pClient ? " on a box" : "")
        << ", picture at " << Describe(rc);
    m_strEvent = out.str();

    const std::vector<RippleDrop> before(std::begin(g_drops), std::end(g_drops));
    const int nextDrop = m_pDlg->m_nNextDrop;
    QTest::mouseClick(pTarget, Qt::LeftButton, {}, pTarget->mapFrom(m_pClient, point));

    const bool inside =
        pTarget == m_pClient && rc.left <= x && x < rc.right && rc.top <= y && y < rc.bottom;
    if (!inside) {
        if (m_pDlg->m_nNextDrop != nextDrop ||
            !std::equal(before.begin(), before.end(), std::begin(g_drops), SameDrop)) {
            return Fail("a click outside the picture changed the drops");
        }
        return true;
    }
    const int gx = ((x - rc.left) * m_pDlg->m_nGridW) / (rc.right - rc.left);
    const int gy = ((y - rc.top) * m_pDlg->m_nGridH) / (rc.bottom - rc.top);
    const RippleDrop want{1, static_cast<double>(gx), static_cast<double>(gy), m_tick};
    if (!SameDrop(g_drops[nextDrop], want) || m_pDlg->m_nNextDrop != (nextDrop + 1) % kMaxDrops) {
        return Fail("the click gave slot " + std::to_string(nextDrop) + " " +
                    Describe(g_drops[nextDrop]) + ", not " + Describe(want));
    }
    ++m_counts.dropsAdded;
    return true;
}

// Window sizes from nothing at all, through smaller than the frame's margins, to 4000 x 4000.
bool CDialogEventFuzzer::DoResize() {
    ++m_counts.resizes;
    const int variant = RandomInt(0, 99);
    int width = 0;
    int height = 0;
    if (variant < 10) {
        // 0 x 0
    } else if (variant < 18) {
        width = 1;
        height = 1;
    } else if (variant < 30) {
        width = RandomInt(1, 170);
        height = RandomInt(1, 40);
    } else if (variant < 45) {
        width = RandomInt(0, 1);
        height = RandomInt(0, kMaxSide);
        if (Chance(50)) {
            std::swap(width, height);
        }
    } else if (variant < 85) {
        width = RandomInt(150, 1000);
        height = RandomInt(100, 800);
    } else {
        width = RandomInt(1000, kMaxSide);
        height = RandomInt(1000, kMaxSide);
    }
    m_strEvent = "resize to " + std::to_string(width) + " x " + std::to_string(height);
    m_pClient->window()->resize(width, height);
    Settle();
    return true;
}

bool CDialogEventFuzzer::DoMinimise() {
    ++m_counts.minimises;
    m_strEvent = "minimise";
    m_pClient->window()->showMinimized();
    Settle();
    return true;
}

bool CDialogEventFuzzer::DoRestore() {
    m_strEvent = "restore";
    m_pClient->window()->showNormal();
    Settle();
    return true;
}

// A new size from the list by its keys, or a list left without a selection.
bool CDialogEventFuzzer::DoSizeChoice() {
    ++m_counts.sizeChoices;
    auto* pList = qobject_cast<QComboBox*>(Item(IDC_SIZE));
    if (pList == nullptr) {
        return Fail("the size list is missing");
    }
    if (Chance(10)) {
        m_strEvent = "size list without a selection";
        const int gridBefore = m_pDlg->m_nGridW;
        m_pDlg->m_cbSize.SetCurSel(-1);
        m_pDlg->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDC_SIZE), CBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(m_pDlg->m_cbSize.m_hWnd));
        if (m_pDlg->m_nGridW != gridBefore) {
            return Fail("a list without a selection changed the grid");
        }
        return true;
    }
    const std::pair<Qt::Key, const char*> keys[] = {
        {Qt::Key_Up, "Up"},   {Qt::Key_Down, "Down"},      {Qt::Key_Home, "Home"},
        {Qt::Key_End, "End"}, {Qt::Key_PageUp, "Page Up"}, {Qt::Key_PageDown, "Page Down"},
    };
    const auto& [key, name] = keys[RandomInt(0, static_cast<int>(std::size(keys)) - 1)];
    m_strEvent = std::string("size list key ") + name + " from \"" +
                 pList->currentText().toStdString() + "\"";
    QTest::keyClick(pList, key);
    return true;
}

// One of the five boxes, clicked or toggled with the space bar.
bool CDialogEventFuzzer::DoToggle() {
    ++m_counts.toggles;
    const int which = RandomInt(0, static_cast<int>(std::size(kBoxes)) - 1);
    QWidget* pBox = Item(kBoxes[which]);
    if (pBox == nullptr) {
        return Fail(std::string("the box ") + kBoxNames[which] + " is missing");
    }
    if (Chance(70)) {
        m_strEvent = std::string("click ") + kBoxNames[which];
        QTest::mouseClick(pBox, Qt::LeftButton, {}, QPoint(4, pBox->height() / 2));
    } else {
        m_strEvent = std::string("space on ") + kBoxNames[which];
        QTest::keyClick(pBox, Qt::Key_Space);
    }
    return true;
}

// Enter and Escape, wherever the focus may be; neither may end the dialog.
bool CDialogEventFuzzer::DoKey() {
    ++m_counts.keys;
    const std::pair<Qt::Key, const char*> keys[] = {
        {Qt::Key_Return, "Enter"}, {Qt::Key_Enter, "keypad Enter"}, {Qt::Key_Escape, "Escape"}};
    const auto& [key, name] = keys[RandomInt(0, 2)];
    QWidget* targets[] = {m_pClient, Item(IDC_SIZE), Item(kBoxes[RandomInt(0, 4)])};
    QWidget* pTarget = targets[RandomInt(0, 2)];
    m_strEvent = std::string(name) + " on " +
                 (pTarget == m_pClient ? "the dialog" : pTarget->metaObject()->className());
    QTest::keyClick(pTarget, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCoreApplication::processEvents();
    if (!m_pClient->isVisible()) {
        return Fail("Enter or Escape closed the dialog");
    }
    return true;
}

// An item of the system menu, chosen as a person would: the menu opens, the item is triggered.
bool CDialogEventFuzzer::DoSystemMenu() {
    ++m_counts.systemCommands;
    QMenu* pMenu = OpenSystemMenu(m_pDlg);
    if (pMenu == nullptr) {
        return Fail("the system menu did not open");
    }
    std::vector<QAction*> items;
    for (QAction* pAction : pMenu->actions()) {
        // Closing is an event of its own, rarer than the rest.
        if (!pAction->isSeparator() && pAction->isEnabled() &&
            !pAction->text().startsWith("&Close")) {
            items.push_back(pAction);
        }
    }
    if (items.empty()) {
        pMenu->close();
        return Fail("the system menu has nothing to choose");
    }
    QAction* pItem =
        items[static_cast<std::size_t>(RandomInt(0, static_cast<int>(items.size()) - 1))];
    m_strEvent = "system menu " + pItem->text().toStdString();
    if (pItem->text() == "&About Ondeline...") {
        ++m_counts.aboutBoxes;
        return RunAboutBox([pItem, pMenu] {
            pItem->trigger();
            pMenu->close();
        });
    }
    pItem->trigger();
    pMenu->close();
    Settle();
    return true;
}

// A system command sent straight to the dialog, with the low bits the system may set.
bool CDialogEventFuzzer::DoSystemCommand() {
    ++m_counts.systemCommands;
    const UINT commands[] = {SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE, IDM_ABOUTBOX, kUnknownCommand};
    const UINT nID = commands[RandomInt(0, 4)] | static_cast<UINT>(RandomInt(0, kLowBits));
    std::ostringstream out;
    out << "system command 0x" << std::hex << nID;
    m_strEvent = out.str();
    if ((nID & ~kLowBits) == IDM_ABOUTBOX) {
        ++m_counts.aboutBoxes;
        return RunAboutBox([this, nID] { m_pDlg->SendMessage(WM_SYSCOMMAND, nID, 0); });
    }
    m_pDlg->SendMessage(WM_SYSCOMMAND, nID, 0);
    Settle();
    return true;
}

// Opens the About box and closes it again from a posted close, as a person would from inside
// its modal loop; the main dialog must be as it was.
bool CDialogEventFuzzer::RunAboutBox(const std::function<void()>& open) {
    struct Closer {
        QWidget* pMain = nullptr;
        bool closed = false;
        bool running = true;
        std::function<void()> poll;
    };
    auto pCloser = std::make_shared<Closer>();
    pCloser->pMain = m_pClient->window();
    std::weak_ptr<Closer> weak = pCloser;
    pCloser->poll = [weak] {
        const auto self = weak.lock();
        if (self == nullptr || !self->running) {
            return;
        }
        QWidget* pModal = QApplication::activeModalWidget();
        if (pModal != nullptr && pModal != self->pMain && pModal->isVisible()) {
            pModal->close();
            self->closed = true;
            return;
        }
        PostToUi(self->poll);
    };
    PostToUi(pCloser->poll);
    open();
    const bool closed = QTest::qWaitFor([&] { return pCloser->closed; }, kWaitMs);
    pCloser->running = false;
    Settle();
    if (!closed) {
        return Fail("the About box did not open, or did not close");
    }
    if (!m_pClient->isVisible()) {
        return Fail("closing the About box closed the dialog");
    }
    return true;
}

bool CDialogEventFuzzer::DoPaint() {
    m_strEvent = "paint";
    m_pClient->repaint();
    return true;
}

// The screen, painted a changed patch at a time, shows what one paint of the whole window would,
// device pixel for device pixel; and at one pixel per cell it shows the surface exactly, wherever
// the picture lies.
bool CDialogEventFuzzer::DoLook() {
    m_strEvent = "look at the screen";
    const int cw = m_pClient->width();
    const int ch = m_pClient->height();
    if (m_pDlg->IsIconic() || cw <= 0 || ch <= 0 || cw > kLargestLook || ch > kLargestLook) {
        return true;
    }
    ++m_counts.looks;
    QWidget* pWindow = m_pClient->window();
    const qreal ratio = pWindow->devicePixelRatio();
    const QPoint at = m_pClient->mapTo(pWindow, QPoint(0, 0));
    const QRect device(QPoint(qRound(at.x() * ratio), qRound(at.y() * ratio)),
                       QSize(qRound(cw * ratio), qRound(ch * ratio)));
    // Paints still waiting would make the two pictures differ for no fault of the painting.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    const QImage whole = m_pClient->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage shown;
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        // On X what the screen shows is what the server holds, whoever drew it there. A window
        // just mapped is painted only once Qt has heard of its exposure, which comes back from
        // the server a little later, so the look waits for the pictures to agree.
        auto* pX11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* pConnection = pX11 != nullptr ? pX11->connection() : nullptr;
        if (pConnection == nullptr) {
            return Fail("there is no connection to the X server to look through");
        }
        std::string what;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
                RoundTrip(pConnection);
                shown = ServerPixels(pConnection, static_cast<xcb_window_t>(pWindow->winId()),
                                     device, what);
                return shown.isNull() || FirstDifference(shown, whole).x() < 0 ||
                       m_pDlg->IsIconic();
            },
            kWaitMs));
        if (!what.empty()) {
            return Fail(what);
        }
        if (shown.isNull()) {
            ++m_counts.looksOffScreen;
            return true;
        }
        if (m_pDlg->IsIconic()) {
            // Qt took word from the server, while the look waited, that the window is minimised.
            return true;
        }
    } else {
        // What the window's backing store holds is what the screen gets.
        QBackingStore* pStore = pWindow->backingStore();
        QPaintDevice* pDevice = pStore != nullptr ? pStore->paintDevice() : nullptr;
        if (pDevice == nullptr || pDevice->devType() != QInternal::Image) {
            return Fail("the window has no backing store to look at");
        }
        shown =
            static_cast<const QImage*>(pDevice)->copy(device).convertToFormat(QImage::Format_RGB32);
    }
    if (shown.size() != whole.size()) {
        std::ostringstream out;
        out << "the screen holds " << shown.width() << " x " << shown.height()
            << " pixels of the window, a paint of it " << whole.width() << " x " << whole.height();
        return Fail(out.str());
    }
    const QPoint differs = FirstDifference(shown, whole);
    if (differs.x() >= 0) {
        std::ostringstream out;
        out << "the screen at device pixel (" << differs.x() << ", " << differs.y() << ") shows "
            << std::hex << (shown.pixel(differs) & 0xFFFFFF) << ", a paint of the whole window "
            << (whole.pixel(differs) & 0xFFFFFF);
        return Fail(out.str());
    }

    if (!HasSurface() || IsChecked(IDC_STRETCH)) {
        return true;
    }
    // Every device pixel shows the cell a click on it finds: the picture is laid out in device
    // pixels.
    const RECT rc = m_pDlg->m_rcDisplay;
    const CDibSurface& surface = m_pDlg->m_surface;
    const int gridW = m_pDlg->m_nGridW;
    const int gridH = m_pDlg->m_nGridH;
    for (int y = std::max<int>(rc.top, 0); y < std::min<int>(rc.bottom, whole.height()); ++y) {
        for (int x = std::max<int>(rc.left, 0); x < std::min<int>(rc.right, whole.width()); ++x) {
            const WORD pixel = PixelAt(surface.m_pBits, surface.Stride(), surface.Height(),
                                       (x - rc.left) * gridW / (rc.right - rc.left),
                                       (y - rc.top) * gridH / (rc.bottom - rc.top));
            const QRgb seen = whole.pixel(x, y) & 0xFFFFFF;
            if (seen != ScreenColour(pixel)) {
                std::ostringstream out;
                out << "the screen at (" << x << ", " << y << ") shows " << std::hex << seen
                    << ", not the surface's " << ScreenColour(pixel);
                return Fail(out.str());
            }
        }
    }
    return true;
}

// The surface's pixel memory cannot be had for the next size: the picture stays empty, and a
// later size tries again.
bool CDialogEventFuzzer::DoAllocationFault() {
    ++m_counts.allocationFaults;
    auto* pList = qobject_cast<QComboBox*>(Item(IDC_SIZE));
    if (pList == nullptr) {
        return Fail("the size list is missing");
    }
    const bool down = pList->currentIndex() < kSizeCount - 1 && Chance(50);
    m_strEvent =
        std::string("size list key ") + (down ? "Down" : "Home") + " with no memory for the pixels";
    FailNextDibSections(1);
    QTest::keyClick(pList, down ? Qt::Key_Down : Qt::Key_Home);
    const bool consumed = !HasSurface();
    FailNextDibSections(0);
    if (!consumed) {
        // The list did not move, so nothing was made; the surface must be the old one.
        return HasSurface() ? true : Fail("the surface went without a new size");
    }
    if (m_pDlg->m_surface.m_pbmi != nullptr || m_pDlg->m_surface.m_hBitmap != nullptr ||
        m_pDlg->m_surface.m_hMemDC != nullptr) {
        return Fail("a surface that could not be made kept some of its parts");
    }
    return true;
}

// The window's close box ends the dialog; the fuzzer opens a new one and goes on.
bool CDialogEventFuzzer::DoClose() {
    ++m_counts.closes;
    const bool byMenu = Chance(50);
    m_strEvent = byMenu ? "system menu Close" : "close box";
    if (byMenu) {
        QMenu* pMenu = OpenSystemMenu(m_pDlg);
        QAction* pClose = nullptr;
        for (QAction* pAction : pMenu != nullptr ? pMenu->actions() : QList<QAction*>()) {
            if (pAction->text().startsWith("&Close")) {
                pClose = pAction;
            }
        }
        if (pClose == nullptr) {
            return Fail("the system menu has no Close");
        }
        pClose->trigger();
        pMenu->close();
    } else {
        m_pClient->window()->close();
    }
    Settle();
    if (m_pClient->isVisible()) {
        return Fail("the dialog stayed open");
    }
    m_pDlg->DestroyWindow();
    OpenOwnDialog();
    return m_pDlg != nullptr ? true : Fail("a new dialog did not open");
}

void CDialogEventFuzzer::Settle() {
    // Some window changes (maximising above all) come back as events of their own.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void CDialogEventFuzzer::NoteLayoutSize() {
    RECT client;
    m_pDlg->GetClientRect(&client);
    const bool positive = client.right > 0 && client.bottom > 0;
    if (m_bRelaidOut || (positive && m_pDlg->IsIconic() == FALSE)) {
        m_nLayoutCx = client.right;
        m_nLayoutCy = client.bottom;
    }
    m_bRelaidOut = false;
}

bool CDialogEventFuzzer::CheckInvariants() {
    if (m_pDlg == nullptr || IsWindow(m_pDlg->m_hWnd) == FALSE || !m_pClient->isVisible()) {
        return Fail("the dialog is gone");
    }
    const int next = m_pDlg->m_nNextDrop;
    if (next < 0 || next >= kMaxDrops) {
        return Fail("the next drop slot is " + std::to_string(next));
    }
    const int width = m_pDlg->m_nGridW;
    const int height = m_pDlg->m_nGridH;
    if (width != height || width < kSizeStep || width > kSizeStep * kSizeCount ||
        width % kSizeStep != 0) {
        return Fail("the grid is " + std::to_string(width) + " x " + std::to_string(height));
    }
    const int index = m_pDlg->m_cbSize.GetCurSel();
    if (index != CB_ERR && width != kSizeStep * (index + 1)) {
        return Fail("the list shows item " + std::to_string(index) + " over a grid of " +
                    std::to_string(width));
    }

    const CDibSurface& surface = m_pDlg->m_surface;
    if (HasSurface()) {
        const int stride = (width * 2 + 3) & ~3;
        if (surface.Width() != width || surface.Height() != height || surface.Stride() != stride ||
            surface.m_pbmi->bmiHeader.biSizeImage != static_cast<DWORD>(stride * height) ||
            surface.m_hBitmap == nullptr) {
            return Fail("the surface is " + std::to_string(surface.Width()) + " x " +
                        std::to_string(surface.Height()) + " for a grid of " +
                        std::to_string(width));
        }
    } else if (surface.m_pbmi != nullptr || surface.m_pBits != nullptr ||
               surface.m_hBitmap != nullptr || surface.m_hMemDC != nullptr ||
               surface.m_hOldBitmap != nullptr) {
        return Fail("the surface is half made");
    }

    if (Item(IDC_FRAME) == nullptr) {
        return Fail("the frame is missing");
    }
    // Where the window system says the frame is, in the dialog's device pixels.
    RECT frame{};
    m_pDlg->m_stFrame.GetWindowRect(&frame);
    m_pDlg->ScreenToClient(&frame);
    const UINT dpi = GetDpiForWindow(m_pDlg->m_hWnd);
    const DisplayLayout layout =
        ComputeDisplayLayout(frame, m_nLayoutCx, m_nLayoutCy, IsChecked(IDC_STRETCH) ? TRUE : FALSE,
                             width * CellPixels(dpi), height * CellPixels(dpi),
                             MulDiv(kFrameBorder, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI));
    if (!SameRect(m_pDlg->m_rcDisplay, layout.display)) {
        return Fail("the picture is at " + Describe(m_pDlg->m_rcDisplay) + ", the layout of " +
                    std::to_string(m_nLayoutCx) + " x " + std::to_string(m_nLayoutCy) +
                    " puts it at " + Describe(layout.display));
    }
    const RECT movedTo{layout.frame.left, layout.frame.top,
                       std::max(layout.frame.left, layout.frame.right),
                       std::max(layout.frame.top, layout.frame.bottom)};
    if (!SameRect(frame, movedTo)) {
        return Fail("the frame is at " + Describe(frame) + ", not " + Describe(movedTo));
    }

    for (int k = 0; k < kMaxDrops; ++k) {
        const RippleDrop& drop = g_drops[k];
        if ((drop.active != 0 && drop.active != 1) || !std::isfinite(drop.x) ||
            !std::isfinite(drop.y)) {
            return Fail("slot " + std::to_string(k) + " holds " + Describe(drop));
        }
    }
    return true;
}

bool CDialogEventFuzzer::Fail(const std::string& what) {
    std::ostringstream out;
    out << "seed " << m_nSeed << ", event " << m_counts.events;
    if (!m_strEvent.empty()) {
        out << " (" << m_strEvent << ")";
    }
    out << ": " << what << "\nthe events before it, oldest first:";
    for (const std::string& event : m_history) {
        out << "\n  " << event;
    }
    m_strFailure = out.str();
    return false;
}

std::string CDialogEventFuzzer::Fingerprint() const {
    std::ostringstream out;
    out << "tick " << m_tick << ", rand calls " << m_nRandCalls << ", events " << m_counts.events
        << ", ticks " << m_counts.ticks << ", drops added " << m_counts.dropsAdded;
    if (m_pDlg != nullptr) {
        out << ", grid " << m_pDlg->m_nGridW << ", picture " << Describe(m_pDlg->m_rcDisplay)
            << ", next slot " << m_pDlg->m_nNextDrop;
    }
    for (const RippleDrop& drop : g_drops) {
        out << " " << Describe(drop);
    }
    return out.str();
}

// low..high inclusive, the same on every standard library (the engine's output is fixed by the
// standard, the library's distributions are not).
int CDialogEventFuzzer::RandomInt(int low, int high) {
    const std::uint64_t span = static_cast<std::uint64_t>(std::int64_t{high} - low + 1);
    return static_cast<int>(low + static_cast<std::int64_t>((span * m_events()) >> 32));
}

bool CDialogEventFuzzer::Chance(int percent) {
    return RandomInt(0, 99) < percent;
}

int CDialogEventFuzzer::NextRand() {
    ++m_nRandCalls;
    return static_cast<int>(m_rainSource() >> 17); // the top fifteen bits: 0..32767
}

bool CDialogEventFuzzer::HasSurface() const {
    return m_pDlg->m_surface.m_pbmi != nullptr && m_pDlg->m_surface.m_pBits != nullptr;
}

bool CDialogEventFuzzer::IsChecked(int nID) const {
    const auto* pBox = qobject_cast<const QAbstractButton*>(Item(nID));
    return pBox != nullptr && pBox->isChecked();
}

QWidget* CDialogEventFuzzer::Item(int nID) const {
    return DialogItemWidget(m_pDlg, nID);
}
