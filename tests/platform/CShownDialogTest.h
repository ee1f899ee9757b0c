#pragma once

#include "res/resource.h"
#include "tests/platform/QtWnd.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

// A dialog on the main template made without a modal loop and shown, so that a test can drive
// it: the class library's plain dialog, or one of the tests' own that records what reaches it.
template <class Dialog> class CShownDialogTest : public ::testing::Test {
protected:
    static constexpr int kShowWaitMs = 5000;

    void SetUp() override {
        ASSERT_TRUE(m_dlg.Create(IDD_MAIN));
        m_widget = WidgetOf(&m_dlg);
        ASSERT_NE(m_widget, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_widget, kShowWaitMs));
    }

    QWidget* Item(int id) { return DialogItemWidget(&m_dlg, id); }

    Dialog m_dlg{IDD_MAIN};
    QWidget* m_widget = nullptr;
};
