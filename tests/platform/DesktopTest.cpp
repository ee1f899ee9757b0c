// How the program meets the desktop beyond its picture: what a screen reader is told about the
// controls, what the keyboard alone can reach, and the name a compositor matches it by.

#include "CMenuDlg.h"
#include "platform/afx/AfxWin.h"
#include "res/DesktopEntry.h"
#include "res/resource.h"
#include "tests/platform/QtWnd.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kWaitMs = 5000;

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dlg.Create(IDD_MAIN));
        m_widget = WidgetOf(&m_dlg);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_widget, kWaitMs));
        m_widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_widget, kWaitMs));
    }
    void TearDown() override {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            menu->close();
        }
    }

    QWidget* Item(int id) { return DialogItemWidget(&m_dlg, id); }

    CMenuDlg m_dlg;
    QWidget* m_widget = nullptr;
};

// What a screen reader announces for each control of the main dialog.
struct SpokenCase {
    const char* test;
    int id;
    const char* name;
    QAccessible::Role role;
};

constexpr SpokenCase kSpoken[] = {
    {"Water", IDC_FRAME, "Water", QAccessible::Animation},
    {"Size", IDC_SIZE, "Grid size", QAccessible::ComboBox},
    {"Rain", IDC_RAIN, "Rain", QAccessible::CheckBox},
    {"Drift", IDC_DRIFT, "Drift", QAccessible::CheckBox},
    {"AddColor", IDC_ADDCOLOR, "Add Color", QAccessible::CheckBox},
    {"Spectrum", IDC_SPECTRUM, "Spectrum", QAccessible::CheckBox},
    {"Stretch", IDC_STRETCH, "Stretch", QAccessible::CheckBox},
};

class Spoken : public Desktop, public ::testing::WithParamInterface<SpokenCase> {};

TEST_P(Spoken, ControlHasItsNameRoleAndALineOnWhatItDoes) {
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(Item(GetParam().id));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->text(QAccessible::Name), QString::fromUtf8(GetParam().name));
    EXPECT_EQ(control->role(), GetParam().role);
    EXPECT_FALSE(control->text(QAccessible::Description).isEmpty());
    EXPECT_FALSE(control->state().invisible);
    // A reader walking the window's tree meets it among the dialog's children.
    QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(m_widget);
    ASSERT_NE(dialog, nullptr);
    EXPECT_GE(dialog->indexOfChild(control), 0);
    EXPECT_EQ(control->parent(), dialog);
}

INSTANTIATE_TEST_SUITE_P(Each, Spoken, ::testing::ValuesIn(kSpoken),
                         [](const auto& info) { return std::string(info.param.test); });

TEST_F(Desktop, TheWindowIsKnownByItsCaptionAndTheHiddenButtonsAreNotAnnounced) {
    QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(m_widget);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->text(QAccessible::Name), "Ondeline");
    for (const int id : {IDOK, IDCANCEL}) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(Item(id));
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->state().invisible) << id;
    }
}

TEST_F(Desktop, ShiftTabVisitsEveryControlBackwards) {
    ASSERT_EQ(QApplication::focusWidget(), Item(IDC_RAIN));
    const int order[] = {IDC_ADDCOLOR, IDC_SPECTRUM, IDC_SIZE, IDC_DRIFT, IDC_STRETCH, IDC_RAIN};
    for (const int id : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), Item(id)) << id;
    }
}

// From the keyboard alone: open the menu, pick the program's item by its mnemonic.
TEST_F(Desktop, TheSystemMenusOwnItemIsChosenWithTheKeyboardAlone) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_A);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_dlg.m_commands.empty(); }, kWaitMs));
    EXPECT_EQ(m_dlg.m_commands, std::vector<UINT>{IDM_ABOUTBOX});
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(Desktop, EscapeClosesTheSystemMenuAndGivesTheFocusBack) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus, Qt::Key_Menu);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_Escape);
    ASSERT_TRUE(
        QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, kWaitMs));
    EXPECT_EQ(QApplication::focusWidget(), focus);
    EXPECT_TRUE(m_dlg.m_commands.empty());
    EXPECT_TRUE(IsWindow(m_dlg.m_hWnd));
}

TEST(DesktopName, IsTheDesktopEntrysOnceAWindowOpens) {
    QGuiApplication::setDesktopFileName(QString());
    CDialog about(IDD_ABOUTBOX);
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString(kDesktopEntryId));
}

} // namespace
