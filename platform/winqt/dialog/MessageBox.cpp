#include "platform/winqt/session/Application.h"
#include "platform/winqt/user/WindowPeer.h"
#include "tests/platform/QtWnd.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace {

QPointer<QMessageBox> g_pMessageBox;

} // namespace

QMessageBox* ActiveMessageBox() {
    return g_pMessageBox.data();
}

// Only the OK box is made, which is the only one the program shows; it returns once dismissed.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT /*uType*/) {
    StartWindowSystem();
    const WindowObject* owner = FindWindowObject(hWnd);
    const QString caption = lpCaption != nullptr ? QString::fromUtf8(lpCaption)
                                                 : QApplication::applicationDisplayName();
    QMessageBox box(QMessageBox::NoIcon, caption,
                    QString::fromUtf8(lpText == nullptr ? "" : lpText), QMessageBox::Ok,
                    owner == nullptr ? nullptr : owner->peer->widget.data());
    g_pMessageBox = &box;
    box.exec();
    g_pMessageBox = nullptr;
    return IDOK;
}
