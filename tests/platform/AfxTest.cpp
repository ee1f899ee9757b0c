#include "platform/afx/AfxWin.h"
#include "res/resource.h"
#include "tests/platform/QtWnd.h"
#include "tests/platform/SessionHooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

constexpr int kWaitMs = 5000;

// Presses the message box's button once it shows; returns what the box said.
struct MessageBoxSeen {
    bool shown = false;
    QString text;
    int buttons = 0;
};

void CloseMessageBoxWhenShown(MessageBoxSeen& seen) {
    PostToUi([&seen] {
        // The box is up by the time this runs: AfxMessageBox shows it before its loop starts.
        if (!QTest::qWaitFor([] { return ActiveMessageBox() != nullptr; }, kWaitMs)) {
            return;
        }
        QMessageBox* box = ActiveMessageBox();
        seen.shown = box->isVisible() && box->isModal();
        seen.text = box->text();
        seen.buttons = static_cast<int>(box->buttons().size());
        QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
        // A box the click left open would keep the test waiting for ever.
        if (!QTest::qWaitFor([box] { return !box->isVisible(); }, kWaitMs)) {
            seen.shown = false;
            box->done(0);
        }
    });
}

TEST(AfxMessageBox, ShowsThePromptWithOneOkButtonUntilDismissed) {
    MessageBoxSeen seen;
    CloseMessageBoxWhenShown(seen);
    EXPECT_EQ(AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK, static_cast<UINT>(-1)), IDOK);
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, "Windows sockets initialization failed.");
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(ActiveMessageBox(), nullptr);
}

TEST(AfxMessageBox, AnUnknownPromptShowsAnEmptyBox) {
    MessageBoxSeen seen;
    CloseMessageBoxWhenShown(seen);
    EXPECT_EQ(AfxMessageBox(4242), IDOK);
    EXPECT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.isEmpty());
}

TEST(AfxSocketInit, SucceedsWhereSocketsWork) {
    EXPECT_NE(AfxSocketInit(), FALSE);
}

TEST(AfxSocketInit, ReportsAFailingProbeAndRecoversWhenRestored) {
    SetSocketProbe([] { return false; });
    EXPECT_EQ(AfxSocketInit(), FALSE);
    SetSocketProbe({});
    EXPECT_NE(AfxSocketInit(), FALSE);
}

// The real probe: with no descriptor left for a socket, creating one fails.
TEST(AfxSocketInit, FailsWhenNoSocketCanBeMade) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    const BOOL result = AfxSocketInit();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(result, FALSE);
}

// An application object that counts its start-up and chooses its outcome.
class CCountingApp : public CWinApp {
public:
    explicit CCountingApp(BOOL bRun) : m_bRun(bRun) {}

    int m_nInits = 0;
    int m_nHelps = 0;
    int m_nExitStatus = 7;

    BOOL InitInstance() override {
        ++m_nInits;
        return m_bRun;
    }
    int ExitInstance() override { return m_nExitStatus; }

protected:
    void OnHelpCounted() { ++m_nHelps; }

    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bRun;
};

BEGIN_MESSAGE_MAP(CCountingApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelpCounted)
END_MESSAGE_MAP()

// The dialogs' modal loops are the only ones, so either answer ends the application.
TEST(CWinApp, InitInstanceRunsOnceAndExitInstanceGivesTheExitStatus) {
    for (const BOOL bRun : {FALSE, TRUE}) {
        CCountingApp app(bRun);
        EXPECT_EQ(AfxGetApp(), &app);
        char path[] = "/usr/bin/ondeline";
        char* argv[] = {path, nullptr};
        EXPECT_EQ(AfxWinMain(1, argv), 7);
        EXPECT_EQ(app.m_nInits, 1);
        EXPECT_STREQ(app.m_pszAppName, "ondeline");
    }
}

TEST(CWinApp, WithoutAnApplicationObjectAfxWinMainSaysSoAndFails) {
    char name[] = "ondeline";
    char* argv[] = {name, nullptr};
    ::testing::internal::CaptureStderr();
    const int status = AfxWinMain(1, argv);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_NE(said.find("application object"), std::string::npos);
    // Dialogs still find a stand-in, so they can load their icon.
    ASSERT_NE(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

TEST(CWinApp, OnlyTheFirstApplicationObjectCounts) {
    CCountingApp first(FALSE);
    {
        CCountingApp second(FALSE);
        EXPECT_EQ(AfxGetApp(), &first);
    }
    EXPECT_EQ(AfxGetApp(), &first);
}

// F1 in a dialog is ID_HELP, which no dialog handles and so reaches the application's map.
TEST(CWinApp, HelpFromADialogReachesTheApplication) {
    CCountingApp app(FALSE);
    CDialog about(IDD_ABOUTBOX);
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
    QWidget* widget = WidgetOf(&about);
    widget->show();
    QTest::keyClick(widget, Qt::Key_F1);
    EXPECT_EQ(app.m_nHelps, 1);
    EXPECT_TRUE(IsWindow(about.m_hWnd));
}

TEST(CString, LoadsStringsAndIsEmptyWhenOneIsMissing) {
    CString text;
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(text.LoadString(IDS_ABOUTBOX), TRUE);
    EXPECT_STREQ(text, "&About Ondeline...");
    EXPECT_FALSE(text.IsEmpty());
    EXPECT_EQ(text.LoadString(4242), FALSE);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(CString(nullptr).IsEmpty());
}

TEST(Icons, TheMainIconLoadsOnceAtTheSystemsSizes) {
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(GetSystemMetrics(SM_CYICON), 32);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
    EXPECT_EQ(GetSystemMetrics(-1), 0);
    HICON icon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIcon(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME)), icon);
    EXPECT_EQ(LoadIcon(AfxGetInstanceHandle(), MAKEINTRESOURCEA(4242)), nullptr);
    EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
    // Outside a paint there is nothing to draw on.
    EXPECT_EQ(DrawIcon(nullptr, 0, 0, icon), FALSE);
}

} // namespace
