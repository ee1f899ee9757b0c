#pragma once

// Runs a dialog modally while a test drives it from inside the modal loop.

#include "platform/afx/CDialog.h"
#include "tests/platform/QtWnd.h"

#include <QTest>
#include <QWidget>

#include <functional>

// What DoModal gives when the test had to end a dialog its driving left running, so that a
// failing test ends instead of waiting for ever.
inline constexpr int kStillRunning = -2;
inline constexpr int kModalWaitMs = 5000;

inline int RunModal(CDialog& dlg, const std::function<void(QWidget*)>& drive) {
    PostToUi([&dlg, &drive] {
        const bool shown = QTest::qWaitFor(
            [&dlg] { return WidgetOf(&dlg) != nullptr && WidgetOf(&dlg)->isVisible(); },
            kModalWaitMs);
        if (shown) {
            drive(WidgetOf(&dlg));
        }
        const bool ended = QTest::qWaitFor(
            [&dlg] { return WidgetOf(&dlg) == nullptr || !WidgetOf(&dlg)->isVisible(); },
            kModalWaitMs);
        if (!ended) {
            dlg.EndDialog(kStillRunning);
        }
    });
    return dlg.DoModal();
}
