#include "platform/winqt/session/Application.h"
#include "platform/winqt/user/WindowPeer.h"

#include <QApplication>
#include <QMessageBox>

// Only the OK box is made, which is the only one the program shows; it returns once dismissed.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT /*uType*/) {
    StartWindowSystem();
    const QString caption = lpCaption != nullptr ? QString::fromUtf8(lpCaption)
                                                 : QApplication::applicationDisplayName();
    QMessageBox box(QMessageBox::NoIcon, caption, QString::fromUtf8(lpText), QMessageBox::Ok,
                    WidgetOfHandle(hWnd));
    box.exec();
    return IDOK;
}
