#include "platform/afx/AfxWin.h"
#include "res/resource.h"
#include "tests/platform/CShownDialogTest.h"
#include "tests/platform/ModalDriver.h"
#include "tests/platform/QtWnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

constexpr int kWaitMs = 5000;
constexpr UINT_PTR kTimerId = 2;
constexpr UINT kTimerPeriod = 100;
constexpr int kPressTime = 1000; // the window system's time of a press, in milliseconds

// A dialog on the main template, written the way the main dialog is, that records what reaches
// its handlers. Enter and Escape do nothing; the close box ends it with IDOK.
class CRecordingDlg : public CDialog {
public:
    explicit CRecordingDlg(UINT nIDTemplate) : CDialog(nIDTemplate) {}

    std::vector<std::string> m_log;
    std::vector<CPoint> m_clicks;
    std::vector<std::array<int, 3>> m_sizes; // type, cx, cy
    std::vector<UINT_PTR> m_ticks;
    std::vector<UINT> m_sysCommands;
    int m_nStretchClicks = 0;
    int m_nSizeChanges = 0;
    int m_nInitCalls = 0;
    RECT m_rcAtInit = {0, 0, 0, 0};
    int m_nPaints = 0;
    bool m_bPaintDCHeld = false;
    LRESULT m_lIconErase = FALSE;
    HICON m_hIcon = nullptr;
    CButton m_btnStretch;
    CButton m_btnRain;
    CComboBox m_cbSize;
    CStatic m_stFrame;

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessage(message, wParam, lParam);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_STRETCH, m_btnStretch);
        DDX_Control(pDX, IDC_RAIN, m_btnRain);
        DDX_Control(pDX, IDC_SIZE, m_cbSize);
        DDX_Control(pDX, IDC_FRAME, m_stFrame);
    }
    BOOL OnInitDialog() override {
        ++m_nInitCalls;
        CDialog::OnInitDialog();
        GetClientRect(&m_rcAtInit);
        m_log.push_back("init");
        return TRUE;
    }
    void OnOK() override { m_log.push_back("ok"); }
    void OnCancel() override { m_log.push_back("cancel"); }

    void OnSysCommand(UINT nID, LPARAM /*lParam*/) {
        m_sysCommands.push_back(nID);
        Default();
    }
    void OnPaint() {
        ++m_nPaints;
        CPaintDC dc(this);
        m_bPaintDCHeld = dc.GetSafeHdc() != nullptr;
        m_lIconErase = SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        if (m_hIcon != nullptr) {
            dc.DrawIcon(0, 0, m_hIcon);
        }
    }
    HCURSOR OnQueryDragIcon() { return m_hIcon; }
    void OnTimer(UINT_PTR nIDEvent) { m_ticks.push_back(nIDEvent); }
    void OnLButtonDown(UINT /*nFlags*/, CPoint point) { m_clicks.push_back(point); }
    void OnSize(UINT nType, int cx, int cy) {
        Default();
        m_log.push_back("size");
        m_sizes.push_back({static_cast<int>(nType), cx, cy});
    }
    void OnClose() {
        m_log.push_back("close");
        CDialog::OnOK();
    }
    void OnStretch() { ++m_nStretchClicks; }
    void OnSelchangeSize() { ++m_nSizeChanges; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_SIZE()
ON_WM_CLOSE()
ON_BN_CLICKED(IDC_STRETCH, OnStretch)
ON_CBN_SELCHANGE(IDC_SIZE, OnSelchangeSize)
END_MESSAGE_MAP()

bool Contains(const std::vector<std::string>& log, const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) != log.end();
}

class MessageTest : public CShownDialogTest<CRecordingDlg> {};

// The dialog procedure binds the object at WM_INITDIALOG, the first message it sees.
TEST_F(MessageTest, CreationSizesTheWindowBeforeInitDialogWhichRunsOnceAndBindsControls) {
    ASSERT_FALSE(m_dlg.m_log.empty());
    EXPECT_EQ(m_dlg.m_log[0], "init");
    EXPECT_GT(m_dlg.m_rcAtInit.right, 0);
    EXPECT_GT(m_dlg.m_rcAtInit.bottom, 0);
    EXPECT_EQ(m_dlg.m_nInitCalls, 1);
    EXPECT_TRUE(IsWindow(m_dlg.m_btnStretch.m_hWnd));
    EXPECT_TRUE(IsWindow(m_dlg.m_stFrame.m_hWnd));
    EXPECT_EQ(static_cast<QComboBox*>(Item(IDC_SIZE))->count(), 8);
    EXPECT_EQ(m_dlg.m_cbSize.GetCurSel(), CB_ERR);
    EXPECT_EQ(m_dlg.m_btnStretch.GetCheck(), BST_UNCHECKED);
}

TEST_F(MessageTest, LeftClicksArriveInClientCoordinatesAlsoThroughTheFrame) {
    QTest::mouseClick(m_widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 200));
    const QRect frame = Item(IDC_FRAME)->geometry();
    QTest::mouseClick(m_widget, Qt::LeftButton, Qt::NoModifier, frame.center());
    // A double click is two button-downs: the dialog takes no double clicks.
    QTest::mouseClick(m_widget, Qt::LeftButton, Qt::NoModifier, QPoint(7, 9));
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(7, 9),
                       m_widget->mapToGlobal(QPointF(7, 9)), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(m_widget, &second);
    QTest::mouseClick(m_widget, Qt::RightButton, Qt::NoModifier, QPoint(5, 200));
    QTest::qWait(0);

    ASSERT_EQ(m_dlg.m_clicks.size(), 4U);
    EXPECT_EQ(m_dlg.m_clicks[2].x, 7);
    EXPECT_EQ(m_dlg.m_clicks[2].y, 9);
    EXPECT_EQ(m_dlg.m_clicks[0].x, 5);
    EXPECT_EQ(m_dlg.m_clicks[0].y, 200);
    EXPECT_EQ(m_dlg.m_clicks[1].x, frame.center().x());
    EXPECT_EQ(m_dlg.m_clicks[1].y, frame.center().y());
    EXPECT_EQ(m_dlg.m_clicks[3].x, 7);
    EXPECT_EQ(m_dlg.m_clicks[3].y, 9);
}

// A pointer reports places between pixels (Wayland always may, and every scaled screen does);
// the click belongs to the pixel that holds the place, not to the nearest pixel corner.
TEST_F(MessageTest, AClickBetweenPixelsLandsInThePixelThatHoldsIt) {
    QWindow* window = m_widget->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPointF at(40.5, 60.75);
    // The window system's way in, which QTest takes for its own whole-pixel clicks.
    qt_handleMouseEvent(window, at, window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                        QEvent::MouseButtonPress, Qt::NoModifier, kPressTime);
    qt_handleMouseEvent(window, at, window->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                        QEvent::MouseButtonRelease, Qt::NoModifier, kPressTime + 1);

    ASSERT_EQ(m_dlg.m_clicks.size(), 1U);
    EXPECT_EQ(m_dlg.m_clicks[0].x, 40);
    EXPECT_EQ(m_dlg.m_clicks[0].y, 60);
}

TEST_F(MessageTest, ResizingReportsTheNewClientSizeOnce) {
    const std::size_t before = m_dlg.m_sizes.size();
    m_widget->resize(501, 402);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dlg.m_sizes.size() > before; }, kWaitMs));
    const auto last = m_dlg.m_sizes.back();
    EXPECT_EQ(last[0], static_cast<int>(SIZE_RESTORED));
    EXPECT_EQ(last[1], 501);
    EXPECT_EQ(last[2], 402);
    RECT client{};
    m_dlg.GetClientRect(&client);
    EXPECT_EQ(client.right, 501);
    EXPECT_EQ(client.bottom, 402);
    // The same size again is no news.
    m_widget->resize(501, 402);
    QTest::qWait(10);
    EXPECT_EQ(m_dlg.m_sizes.size(), before + 1);
}

TEST_F(MessageTest, TimerTicksArriveWithTheirIdAtAboutThePeriod) {
    EXPECT_EQ(m_dlg.SetTimer(kTimerId, kTimerPeriod, nullptr), kTimerId);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dlg.m_ticks.size() >= 3; }, kWaitMs));
    // Three ticks cannot come before two and a half periods have passed.
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_TRUE(std::all_of(m_dlg.m_ticks.begin(), m_dlg.m_ticks.end(),
                            [](UINT_PTR id) { return id == kTimerId; }));
}

TEST_F(MessageTest, SettingATimerAgainRestartsItInsteadOfAddingOne) {
    m_dlg.SetTimer(kTimerId, kTimerPeriod, nullptr);
    m_dlg.SetTimer(kTimerId, kTimerPeriod, nullptr);
    QTest::qWait(550);
    // One timer gives about five ticks in 550 ms; two would give about ten.
    EXPECT_GE(m_dlg.m_ticks.size(), 3U);
    EXPECT_LE(m_dlg.m_ticks.size(), 7U);
}

TEST_F(MessageTest, ATimerNeedsAWindow) {
    CRecordingDlg unmade(IDD_MAIN);
    EXPECT_EQ(unmade.SetTimer(kTimerId, kTimerPeriod, nullptr), 0U);
}

TEST_F(MessageTest, ButtonClicksReachTheirHandlerByIdAndCheckExactlyOne) {
    QTest::mouseClick(Item(IDC_STRETCH), Qt::LeftButton);
    EXPECT_EQ(m_dlg.m_nStretchClicks, 1);
    EXPECT_EQ(m_dlg.m_btnStretch.GetCheck(), 1);
    // Another box's click has no handler in the map.
    QTest::mouseClick(Item(IDC_RAIN), Qt::LeftButton);
    EXPECT_EQ(m_dlg.m_nStretchClicks, 1);
    EXPECT_EQ(m_dlg.m_btnRain.GetCheck(), 1);
    // The space bar clicks the box that has the focus.
    Item(IDC_STRETCH)->setFocus();
    QTest::keyClick(Item(IDC_STRETCH), Qt::Key_Space);
    EXPECT_EQ(m_dlg.m_nStretchClicks, 2);
    EXPECT_EQ(m_dlg.m_btnStretch.GetCheck(), 0);
}

TEST_F(MessageTest, SettingACheckFromCodeSendsNoNotification) {
    m_dlg.m_btnStretch.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(m_dlg.m_btnStretch.GetCheck(), 1);
    m_dlg.m_btnStretch.SendMessage(BM_SETCHECK, BST_UNCHECKED);
    EXPECT_EQ(m_dlg.m_btnStretch.GetCheck(), 0);
    EXPECT_EQ(m_dlg.m_nStretchClicks, 0);
}

TEST_F(MessageTest, OnlyTheUsersChoiceInTheListNotifies) {
    EXPECT_EQ(m_dlg.m_cbSize.SetCurSel(3), 3);
    EXPECT_EQ(m_dlg.m_cbSize.GetCurSel(), 3);
    EXPECT_EQ(m_dlg.m_nSizeChanges, 0);

    auto* combo = static_cast<QComboBox*>(Item(IDC_SIZE));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(m_dlg.m_nSizeChanges, 1);
    EXPECT_EQ(m_dlg.m_cbSize.GetCurSel(), 4);
    EXPECT_EQ(combo->currentText(), "125 x 125");

    EXPECT_EQ(m_dlg.m_cbSize.SetCurSel(8), CB_ERR);
    EXPECT_EQ(m_dlg.m_cbSize.GetCurSel(), CB_ERR);
    EXPECT_EQ(m_dlg.m_cbSize.SetCurSel(-1), CB_ERR);
    EXPECT_EQ(m_dlg.m_nSizeChanges, 1);
}

TEST_F(MessageTest, EnterAndEscapeReachOnOkAndOnCancelAndLeaveTheDialogOpen) {
    Item(IDC_RAIN)->setFocus();
    QTest::keyClick(Item(IDC_RAIN), Qt::Key_Return);
    QTest::keyClick(Item(IDC_RAIN), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(Item(IDC_RAIN), Qt::Key_Escape);
    QTest::qWait(10);
    EXPECT_EQ(std::count(m_dlg.m_log.begin(), m_dlg.m_log.end(), "ok"), 2);
    EXPECT_EQ(std::count(m_dlg.m_log.begin(), m_dlg.m_log.end(), "cancel"), 1);
    EXPECT_TRUE(m_widget->isVisible());
    EXPECT_TRUE(IsWindow(m_dlg.m_hWnd));
}

TEST_F(MessageTest, TheCloseBoxSendsWmClose) {
    m_widget->close();
    EXPECT_TRUE(Contains(m_dlg.m_log, "close"));
    EXPECT_FALSE(m_widget->isVisible());
}

TEST_F(MessageTest, DefaultProcessingOfScCloseSendsWmClose) {
    m_dlg.Send(WM_SYSCOMMAND, SC_CLOSE);
    ASSERT_EQ(m_dlg.m_sysCommands.size(), 1U);
    EXPECT_EQ(m_dlg.m_sysCommands[0], SC_CLOSE);
    EXPECT_TRUE(Contains(m_dlg.m_log, "close"));
}

TEST_F(MessageTest, DefaultProcessingOfScMinimizeAndScRestoreChangesTheWindowState) {
    m_dlg.Send(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(m_dlg.IsIconic());
    const auto minimized = m_dlg.m_sizes.back();
    EXPECT_EQ(minimized[0], static_cast<int>(SIZE_MINIMIZED));
    EXPECT_EQ(minimized[1], 0);
    EXPECT_EQ(minimized[2], 0);
    m_dlg.Send(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_FALSE(m_dlg.IsIconic());
    EXPECT_EQ(m_dlg.m_sizes.back()[0], static_cast<int>(SIZE_RESTORED));
}

TEST_F(MessageTest, PaintGetsADeviceContextOnlyInsideThePaint) {
    CPaintDC outside(&m_dlg);
    EXPECT_EQ(outside.GetSafeHdc(), nullptr);
    const int before = m_dlg.m_nPaints;
    RECT part{10, 10, 20, 20};
    m_dlg.InvalidateRect(&part, FALSE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dlg.m_nPaints > before; }, kWaitMs));
    EXPECT_TRUE(m_dlg.m_bPaintDCHeld);
    // The paint DC also takes the minimised window's background.
    EXPECT_EQ(m_dlg.m_lIconErase, TRUE);
    EXPECT_EQ(m_dlg.Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(outside.GetSafeHdc())), FALSE);
}

TEST_F(MessageTest, AnEmptyRectangleAsksForNoPaint) {
    QTest::qWait(50);
    const int before = m_dlg.m_nPaints;
    RECT inverted{20, 20, 10, 10};
    m_dlg.InvalidateRect(&inverted, TRUE);
    QTest::qWait(50);
    EXPECT_EQ(m_dlg.m_nPaints, before);
}

TEST_F(MessageTest, DrawIconPaintsTheIconIntoThePaint) {
    m_dlg.m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    ASSERT_NE(m_dlg.m_hIcon, nullptr);
    const QImage shot = m_widget->grab().toImage();
    // Row 5 of the icon: transparent, then the drop's navy outline and blue water.
    EXPECT_EQ(shot.pixelColor(13, 5), m_widget->palette().window().color());
    EXPECT_EQ(shot.pixelColor(14, 5), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(shot.pixelColor(15, 5), QColor(0x00, 0x00, 0xFF));
}

TEST_F(MessageTest, IconsAreSetAndTheDragIconComesBack) {
    HICON icon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    EXPECT_EQ(m_dlg.SetIcon(icon, TRUE), nullptr);
    EXPECT_EQ(m_dlg.SetIcon(icon, FALSE), nullptr);
    EXPECT_EQ(m_dlg.SetIcon(icon, TRUE), icon);
    EXPECT_FALSE(m_widget->windowIcon().isNull());
    m_dlg.m_hIcon = icon;
    EXPECT_EQ(reinterpret_cast<HICON>(m_dlg.Send(WM_QUERYDRAGICON)), icon);
}

TEST_F(MessageTest, TheFramesPlaceComesBackInClientCoordinates) {
    QWidget* frame = Item(IDC_FRAME);
    RECT rc{};
    m_dlg.m_stFrame.GetWindowRect(&rc);
    m_dlg.ScreenToClient(&rc);
    EXPECT_EQ(rc.left, frame->x());
    EXPECT_EQ(rc.top, frame->y());
    EXPECT_EQ(rc.right, frame->x() + frame->width());
    EXPECT_EQ(rc.bottom, frame->y() + frame->height());

    m_dlg.m_stFrame.MoveWindow(40, 30, 100, 80, TRUE);
    m_dlg.m_stFrame.GetWindowRect(&rc);
    m_dlg.ScreenToClient(&rc);
    EXPECT_EQ(rc.left, 40);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.right, 140);
    EXPECT_EQ(rc.bottom, 110);
}

int g_nWarnings = 0;
void CountWarnings(QtMsgType type, const QMessageLogContext& /*context*/, const QString& /*m*/) {
    if (type != QtDebugMsg && type != QtInfoMsg) {
        ++g_nWarnings;
    }
}

TEST_F(MessageTest, NegativeSizesMoveTheFrameToZeroSizeWithoutWarnings) {
    g_nWarnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(CountWarnings);
    m_dlg.m_stFrame.MoveWindow(150, 11, -40, -7, TRUE);
    QWidget* frame = Item(IDC_FRAME);
    EXPECT_EQ(frame->width(), 0);
    EXPECT_EQ(frame->height(), 0);
    RECT inverted{152, 13, 100, 4};
    m_dlg.InvalidateRect(&inverted, TRUE);
    m_dlg.m_stFrame.MoveWindow(150, 11, 0, 0, TRUE);
    QTest::qWait(20);
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_nWarnings, 0);
}

// An object bound to a control may end before the dialog: the control goes back to the window
// system's own processing and is free for another object.
TEST_F(MessageTest, AControlOutlivesTheObjectBoundToIt) {
    {
        CButton first;
        ASSERT_TRUE(first.SubclassDlgItem(IDC_DRIFT, &m_dlg));
        CButton second;
        EXPECT_FALSE(second.SubclassDlgItem(IDC_DRIFT, &m_dlg)) << "the control has an object";
        first.SendMessage(BM_SETCHECK, BST_CHECKED);
    }
    auto* box = qobject_cast<QCheckBox*>(Item(IDC_DRIFT));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());
    CButton again;
    ASSERT_TRUE(again.SubclassDlgItem(IDC_DRIFT, &m_dlg));
    EXPECT_EQ(again.GetCheck(), BST_CHECKED);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(again.GetCheck(), BST_UNCHECKED);
}

TEST_F(MessageTest, DestroyingTheWindowUnbindsEveryControl) {
    HWND hDlg = m_dlg.m_hWnd;
    HWND hFrame = m_dlg.m_stFrame.m_hWnd;
    EXPECT_TRUE(m_dlg.DestroyWindow());
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_FALSE(IsWindow(hFrame));
    EXPECT_EQ(m_dlg.m_hWnd, nullptr);
    EXPECT_EQ(m_dlg.m_stFrame.m_hWnd, nullptr);
    EXPECT_EQ(m_dlg.m_cbSize.GetCurSel(), CB_ERR);
    EXPECT_FALSE(m_dlg.DestroyWindow());
}

// DoModal runs the dialog until it ends; the test's work runs inside the loop.
TEST(ModalDialog, EnterAndEscapeLeaveItRunningAndTheCloseBoxEndsItWithIdOk) {
    CRecordingDlg dlg(IDD_MAIN);
    bool openAfterKeys = false;
    const int result = RunModal(dlg, [&](QWidget* widget) {
        QTest::keyClick(widget, Qt::Key_Escape);
        QTest::keyClick(widget, Qt::Key_Return);
        openAfterKeys = widget->isVisible();
        widget->close();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_TRUE(Contains(dlg.m_log, "close"));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_btnStretch.m_hWnd, nullptr);
}

// Without overrides, IDOK and IDCANCEL end the dialog and the close box means Cancel.
struct EndCase {
    const char* name;
    Qt::Key key; // Qt::Key_unknown: the close box
    int expected;
};

class DefaultEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(DefaultEnd, EndsDoModalWithTheCommandsCode) {
    CDialog dlg(IDD_ABOUTBOX);
    const EndCase c = GetParam();
    const int result = RunModal(dlg, [&](QWidget* widget) {
        if (c.key == Qt::Key_unknown) {
            widget->close();
        } else {
            QTest::keyClick(widget, c.key);
        }
    });
    EXPECT_EQ(result, c.expected);
}

INSTANTIATE_TEST_SUITE_P(AboutTemplate, DefaultEnd,
                         ::testing::Values(EndCase{"Enter", Qt::Key_Return, IDOK},
                                           EndCase{"Escape", Qt::Key_Escape, IDCANCEL},
                                           EndCase{"CloseBox", Qt::Key_unknown, IDCANCEL}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModalDialog, AMissingTemplateGivesMinusOne) {
    CDialog dlg(4242);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

} // namespace
