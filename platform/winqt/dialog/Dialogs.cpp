#include "platform/dialog/Dialogs.h"

#include "platform/user/WindowSystem.h"
#include "platform/winqt/dialog/CDialogWindow.h"

#include <QPointer>
#include <QWidget>

// The dialog manager's modal loop and focus, over Qt's dialogs.

void FocusControl(const WindowObject* control) {
    if (QWidget* widget = control->peer->widget) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

INT_PTR RunModalDialog(HWND hDlg) {
    const WindowObject* window = FindWindowObject(hDlg);
    // The window may be destroyed while the loop runs; its widget waits for the loop to end and
    // keeps the end code. The dialog builder gives every dialog one of these.
    const QPointer<CDialogWindow> widget = static_cast<CDialogWindow*>(window->peer->widget.data());
    if (widget != nullptr && !window->dialog.ended) {
        widget->exec();
    }
    return widget != nullptr ? widget->EndResult() : kNoDialogResult;
}

void EndModalDialog(WindowObject* dialog, INT_PTR result) {
    if (auto* widget = static_cast<CDialogWindow*>(dialog->peer->widget.data())) {
        widget->End(result);
    }
}
