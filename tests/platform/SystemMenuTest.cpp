#include "CMenuDlg.h"
#include "platform/afx/AfxWin.h"
#include "res/resource.h"
#include "tests/platform/QtWnd.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kWaitMs = 5000;

QStringList TextsOf(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    return texts;
}

QAction* ActionNamed(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

QMenu* OpenPopupMenu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

class SystemMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dlg.Create(IDD_MAIN));
        m_widget = WidgetOf(&m_dlg);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_widget, kWaitMs));
    }
    void TearDown() override {
        if (QMenu* menu = OpenPopupMenu()) {
            menu->close();
        }
    }

    CMenuDlg m_dlg;
    QWidget* m_widget = nullptr;
};

TEST_F(SystemMenu, HoldsTheWindowCommandsThenTheAddedItemAfterASeparator) {
    QMenu* menu = OpenSystemMenu(&m_dlg);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    const QStringList expected{"&Restore",       "Mi&nimize", "Ma&ximize",         "-",
                               "&Close\tAlt+F4", "-",         "&About Ondeline..."};
    EXPECT_EQ(TextsOf(menu), expected);
    EXPECT_FALSE(ActionNamed(menu, "&Restore")->isEnabled());
    EXPECT_TRUE(ActionNamed(menu, "Mi&nimize")->isEnabled());
}

TEST_F(SystemMenu, ChoosingTheAddedItemSendsItsIdOnceTheMenuHasClosed) {
    QMenu* menu = OpenSystemMenu(&m_dlg);
    ASSERT_NE(menu, nullptr);
    ActionNamed(menu, "&About Ondeline...")->trigger();
    EXPECT_TRUE(m_dlg.m_commands.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_dlg.m_commands.empty(); }, kWaitMs));
    ASSERT_EQ(m_dlg.m_commands.size(), 1U);
    EXPECT_EQ(m_dlg.m_commands[0] & 0xFFF0, static_cast<UINT>(IDM_ABOUTBOX));
}

TEST_F(SystemMenu, CloseGoesThroughTheDefaultProcessingToWmClose) {
    QMenu* menu = OpenSystemMenu(&m_dlg);
    ASSERT_NE(menu, nullptr);
    ActionNamed(menu, "&Close\tAlt+F4")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dlg.m_nCloses == 1; }, kWaitMs));
    EXPECT_EQ(m_dlg.m_commands.front(), SC_CLOSE);
}

TEST_F(SystemMenu, OpensOnceHoweverOftenItIsAskedFor) {
    QMenu* first = OpenSystemMenu(&m_dlg);
    QMenu* second = OpenSystemMenu(&m_dlg);
    EXPECT_EQ(first, second);
    EXPECT_EQ(m_widget->findChildren<QMenu*>().size(), 1);
}

TEST_F(SystemMenu, OpensOnARightClickAnywhereOnTheDialog) {
    // Over a check box, whose own widget has no menu, as well as on the bare dialog.
    for (QWidget* target : {m_widget, DialogItemWidget(&m_dlg, IDC_RAIN)}) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(3, 3),
                                target->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(target, &click);
        QMenu* menu = OpenPopupMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->actions().back()->text(), "&About Ondeline...");
        menu->close();
        ASSERT_TRUE(QTest::qWaitFor([] { return OpenPopupMenu() == nullptr; }, kWaitMs));
    }
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

class SystemMenuKeys : public SystemMenu, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(SystemMenuKeys, OpenTheMenu) {
    m_widget->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_widget, kWaitMs));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, GetParam().key, GetParam().modifiers);
    QMenu* menu = OpenPopupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().back()->text(), "&About Ondeline...");
    // The key went to the menu, not to the check box that has the focus.
    EXPECT_EQ(DialogItemWidget(&m_dlg, IDC_RAIN)->property("checked").toBool(), false);
}

INSTANTIATE_TEST_SUITE_P(Each, SystemMenuKeys,
                         ::testing::Values(KeyCase{"ShiftF10", Qt::Key_F10, Qt::ShiftModifier},
                                           KeyCase{"MenuKey", Qt::Key_Menu, Qt::NoModifier},
                                           KeyCase{"AltSpace", Qt::Key_Space, Qt::AltModifier}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SystemMenu, RevertingDropsTheAddedItems) {
    EXPECT_EQ(m_dlg.GetSystemMenu(TRUE), nullptr);
    QMenu* menu = OpenSystemMenu(&m_dlg);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().back()->text(), "&Close\tAlt+F4");
}

TEST(SystemMenuOfTheAboutBox, HasOnlyClose) {
    CDialog about(IDD_ABOUTBOX);
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
    WidgetOf(&about)->show();
    QMenu* menu = OpenSystemMenu(&about);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(TextsOf(menu), QStringList{"&Close\tAlt+F4"});
    menu->close();
}

TEST(SystemMenuWithoutWindow, IsNull) {
    CDialog unmade(IDD_MAIN);
    EXPECT_EQ(unmade.GetSystemMenu(FALSE), nullptr);
    EXPECT_EQ(OpenSystemMenu(&unmade), nullptr);
    EXPECT_EQ(CMenu::FromHandle(nullptr), nullptr);
    EXPECT_FALSE(AppendMenu(nullptr, MF_STRING, 1, "x"));
}

} // namespace
