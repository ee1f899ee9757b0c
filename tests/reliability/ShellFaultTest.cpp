#include "app/CRippleApp.h"

#include "platform/winqt/paint/GdiQt.h"
#include "tests/platform/GdiHooks.h"
#include "tests/platform/QtWnd.h"
#include "tests/platform/SessionHooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

// A machine whose sockets do not work: the whole start-up, from AfxWinMain on, must show the
// message box and nothing else, and end cleanly, with a failure status, once it is dismissed.

namespace {

constexpr int kWaitMs = 10000;

std::set<QWidget*> ShownWindows() {
    std::set<QWidget*> shown;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget->isVisible()) {
            shown.insert(pWidget);
        }
    }
    return shown;
}

TEST(ShellFaultTest, FailedSocketsShowOnlyTheMessageBoxThenTheProgramEndsCleanly) {
    SetSocketProbe([] { return false; });
    const int handlesBefore = LiveGdiHandleCount();
    const std::size_t windowsBefore = QApplication::topLevelWidgets().size();

    struct Seen {
        bool boxShown = false;
        std::string text;
        std::set<QWidget*> windows;
        QWidget* pBox = nullptr;
        bool mainWindowMade = false;
    };
    auto pSeen = std::make_shared<Seen>();
    PostToUi([pSeen] {
        pSeen->boxShown = QTest::qWaitFor([] { return ActiveMessageBox() != nullptr; }, kWaitMs);
        if (!pSeen->boxShown) {
            return;
        }
        QMessageBox* pBox = ActiveMessageBox();
        pSeen->pBox = pBox;
        pSeen->text = pBox->text().toStdString();
        pSeen->windows = ShownWindows();
        pSeen->mainWindowMade = AfxGetMainWnd() != nullptr;
        for (QAbstractButton* pButton : pBox->buttons()) {
            QTest::mouseClick(pButton, Qt::LeftButton);
        }
    });

    char name[] = "ondeline";
    char* argv[] = {name, nullptr};
    const int status = AfxWinMain(1, argv);
    SetSocketProbe({});

    ASSERT_TRUE(pSeen->boxShown) << "no message box";
    EXPECT_EQ(pSeen->text, "Windows sockets initialization failed.");
    EXPECT_EQ(pSeen->windows, std::set<QWidget*>{pSeen->pBox}) << "something beside the box";
    EXPECT_FALSE(pSeen->mainWindowMade);
    // The manual gives this status; 0 would tell a script that started it that all was well.
    EXPECT_EQ(status, 1) << "a program that could not start must not end as a success";
    EXPECT_EQ(ActiveMessageBox(), nullptr);
    EXPECT_TRUE(ShownWindows().empty()) << "a window remains after the end";
    QApplication::processEvents();
    EXPECT_LE(QApplication::topLevelWidgets().size(), windowsBefore) << "a window was left over";
    EXPECT_EQ(LiveGdiHandleCount(), handlesBefore);
}

} // namespace
