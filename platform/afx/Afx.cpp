#include "platform/afx/Afx.h"

#include "platform/afx/CWnd.h"
#include "platform/winqt/QtWnd.h"
#include "platform/winqt/WindowObject.h"
#include "res/StringTable.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace {

std::function<bool()> g_socketProbe;
QPointer<QMessageBox> g_pMessageBox;

// Making a socket and closing it again shows that the socket layer works.
bool ProbeSockets() {
    for (const int family : {AF_INET, AF_INET6}) {
        const int fd = ::socket(family, SOCK_STREAM, 0);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
    }
    return false;
}

} // namespace

QMessageBox* ActiveMessageBox() {
    return g_pMessageBox.data();
}

BOOL AfxSocketInit(WSADATA* /*lpwsaData*/) {
    const bool working = g_socketProbe ? g_socketProbe() : ProbeSockets();
    return working ? TRUE : FALSE;
}

void SetSocketProbe(std::function<bool()> probe) {
    g_socketProbe = std::move(probe);
}

int AfxMessageBox(const char* lpszText, UINT /*nType*/, UINT /*nIDHelp*/) {
    CWnd* mainWnd = AfxGetMainWnd();
    WindowObject* owner = mainWnd == nullptr ? nullptr : FindWindowObject(mainWnd->m_hWnd);
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                    QString::fromUtf8(lpszText == nullptr ? "" : lpszText), QMessageBox::Ok,
                    owner == nullptr ? nullptr : owner->widget.data());
    g_pMessageBox = &box;
    box.exec();
    g_pMessageBox = nullptr;
    return IDOK;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    const char* text = FindString(nIDPrompt);
    return AfxMessageBox(text == nullptr ? "" : text, nType, nIDHelp);
}
