#include "app/CRippleApp.h"

#include "res/resource.h"
#include "ripple/RippleDrop.h"
#include "tests/platform/QtWnd.h"
#include "tests/platform/SessionHooks.h"
#include "ui/CRippleDlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kWaitMs = 5000;
constexpr auto kGiveUp = std::chrono::seconds(10);
constexpr std::uint16_t kBlack = 0x0000; // a surface before its first frame
constexpr std::uint16_t kCalm = 0x0010;  // water without a ring

// Runs action once the condition holds, checking again each time the event loop comes round,
// so that it works inside whichever modal loop is running by then. It gives up after a while, and
// at once when the test that asked has ended.
void PollUntil(std::shared_ptr<const bool> pTestRunning, std::function<bool()> condition,
               std::function<void()> action, std::chrono::steady_clock::time_point deadline) {
    PostToUi([=] {
        if (!*pTestRunning) {
            return;
        }
        if (condition()) {
            action();
        } else if (std::chrono::steady_clock::now() < deadline) {
            PollUntil(pTestRunning, condition, action, deadline);
        } else {
            ADD_FAILURE() << "gave up waiting";
        }
    });
}

CRippleDlg* MainDialog() {
    return dynamic_cast<CRippleDlg*>(AfxGetMainWnd());
}

QWidget* MainWindow() {
    CRippleDlg* pDlg = MainDialog();
    QWidget* pClient = pDlg != nullptr ? WidgetOf(pDlg) : nullptr;
    return pClient != nullptr ? pClient->window() : nullptr;
}

bool MainWindowShown() {
    QWidget* pWindow = MainWindow();
    return pWindow != nullptr && pWindow->isVisible();
}

QWidget* AboutBox() {
    QWidget* pModal = QApplication::activeModalWidget();
    if (pModal == nullptr || pModal == MainWindow()) {
        return nullptr;
    }
    return pModal->isVisible() ? pModal : nullptr;
}

QAbstractButton* ButtonNamed(QWidget* pWindow, const QString& text) {
    for (QAbstractButton* pButton : pWindow->findChildren<QAbstractButton*>()) {
        if (pButton->text() == text && pButton->isVisible()) {
            return pButton;
        }
    }
    return nullptr;
}

std::vector<std::string> LabelTexts(QWidget* pWindow) {
    std::vector<std::string> texts;
    for (QLabel* pLabel : pWindow->findChildren<QLabel*>()) {
        if (!pLabel->text().isEmpty()) {
            texts.push_back(pLabel->text().toStdString());
        }
    }
    return texts;
}

std::vector<QWidget*> VisibleWindows() {
    std::vector<QWidget*> windows;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget->isVisible()) {
            windows.push_back(pWidget);
        }
    }
    return windows;
}

class CRippleAppTest : public ::testing::Test {
protected:
    void TearDown() override {
        *m_pTestRunning = false;
        SetSocketProbe({});
        SetTickSource({});
    }

    void WhenReady(std::function<bool()> condition, std::function<void()> action) {
        PollUntil(m_pTestRunning, std::move(condition), std::move(action),
                  std::chrono::steady_clock::now() + kGiveUp);
    }

    std::shared_ptr<bool> m_pTestRunning = std::make_shared<bool>(true);
};

TEST_F(CRippleAppTest, TheOneApplicationObjectIsOurs) {
    EXPECT_EQ(AfxGetApp(), &theApp);
    EXPECT_EQ(theApp.m_pszAppName, nullptr);
    EXPECT_TRUE(theApp.OnCmdMsg(ID_HELP, 0)) << "help is the class library's";
}

TEST_F(CRippleAppTest, FailedSocketsShowOnlyTheMessageBox) {
    SetSocketProbe([] { return false; });
    std::string text;
    std::vector<QWidget*> windows;
    QWidget* pShown = nullptr;
    WhenReady([] { return ActiveMessageBox() != nullptr; },
              [&] {
                  QMessageBox* pBox = ActiveMessageBox();
                  pShown = pBox;
                  text = pBox->text().toStdString();
                  windows = VisibleWindows();
                  QAbstractButton* pOk = ButtonNamed(pBox, "OK");
                  ASSERT_NE(pOk, nullptr);
                  QTest::mouseClick(pOk, Qt::LeftButton);
              });
    bool mainShown = false;
    WhenReady(MainWindowShown, [&] {
        mainShown = true;
        MainWindow()->close();
    });
    EXPECT_EQ(theApp.InitInstance(), FALSE);
    EXPECT_EQ(theApp.ExitInstance(), CRippleApp::kSocketsFailedStatus);
    EXPECT_FALSE(mainShown);
    EXPECT_EQ(text, "Windows sockets initialization failed.");
    ASSERT_EQ(windows.size(), 1u) << "nothing but the message box";
    EXPECT_EQ(windows.front(), pShown);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_EQ(ActiveMessageBox(), nullptr);
}

TEST_F(CRippleAppTest, RunsTheMainDialogUntilItClosesThenExitsWithZero) {
    std::string title;
    int gridW = 0;
    bool wasShown = false;
    WhenReady(MainWindowShown, [&] {
        wasShown = true;
        title = MainWindow()->windowTitle().toStdString();
        gridW = MainDialog()->m_nGridW;
        MainWindow()->close();
    });
    char name[] = "ondeline";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(AfxWinMain(1, argv), 0);
    EXPECT_TRUE(wasShown);
    EXPECT_EQ(title, "Ondeline");
    EXPECT_EQ(gridW, 100);
    EXPECT_EQ(AfxGetMainWnd(), nullptr) << "the dialog is gone with InitInstance";
    EXPECT_TRUE(VisibleWindows().empty()) << "no second window remains";
}

// The About box opens from the system menu over the running animation, and OK closes it and
// returns to the main dialog.
TEST_F(CRippleAppTest, AboutBoxOpensFromTheSystemMenuAndClosesWithOk) {
    std::uint32_t tick = 500000;
    SetTickSource([&tick] { return tick; });

    std::string aboutTitle;
    std::vector<std::string> aboutTexts;
    bool animatedUnderneath = false;
    bool mainBlocked = false;
    bool aboutClosed = false;
    bool mainOpenAfter = false;

    auto inAbout = [&] {
        QWidget* pAbout = AboutBox();
        aboutTitle = pAbout->windowTitle().toStdString();
        aboutTexts = LabelTexts(pAbout);
        mainBlocked = QApplication::activeModalWidget() == pAbout;

        // A drop falls and time moves on; the main dialog's timer must keep drawing.
        CRippleDlg* pDlg = MainDialog();
        g_drops[0] = {1, 50.0, 50.0, tick};
        tick += 1000;
        const auto* pBits = static_cast<const std::uint16_t*>(pDlg->m_surface.m_pBits);
        animatedUnderneath = QTest::qWaitFor(
            [&] {
                return std::any_of(pBits, pBits + 100 * 100,
                                   [](auto p) { return p != kBlack && p != kCalm; });
            },
            kWaitMs);

        QAbstractButton* pOk = ButtonNamed(pAbout, "OK");
        ASSERT_NE(pOk, nullptr);
        QTest::mouseClick(pOk, Qt::LeftButton);
        aboutClosed = QTest::qWaitFor([] { return AboutBox() == nullptr; }, kWaitMs);
        if (!aboutClosed) {
            pAbout->close();
        }
    };

    WhenReady(MainWindowShown, [&] {
        CRippleDlg* pDlg = MainDialog();
        QMenu* pMenu = OpenSystemMenu(pDlg);
        ASSERT_NE(pMenu, nullptr);
        QAction* pAbout = pMenu->actions().back();
        ASSERT_EQ(pAbout->text().toStdString(), "&About Ondeline...");
        pAbout->trigger();
        WhenReady([] { return AboutBox() != nullptr; }, inAbout);
        const bool done = QTest::qWaitFor([&] { return aboutClosed; }, kWaitMs * 3);
        mainOpenAfter = done && MainWindowShown();
        MainWindow()->close();
    });
    EXPECT_EQ(theApp.InitInstance(), FALSE);

    EXPECT_EQ(aboutTitle, "About Ondeline");
    ASSERT_EQ(aboutTexts.size(), 2u);
    EXPECT_EQ(aboutTexts[0], "Ondeline Version 1.0");
    EXPECT_FALSE(aboutTexts[1].empty());
    EXPECT_TRUE(mainBlocked) << "the About box is modal";
    EXPECT_TRUE(animatedUnderneath);
    EXPECT_TRUE(aboutClosed);
    EXPECT_TRUE(mainOpenAfter);
}

} // namespace
