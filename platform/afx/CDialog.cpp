#include "platform/afx/CDialog.h"

#include "platform/afx/CWinApp.h"
#include "platform/winqt/DialogBuilder.h"
#include "platform/winqt/WindowObject.h"
#include "res/DialogTemplate.h"

#include <QDialog>
#include <QWidget>

namespace {

constexpr int kNoDialog = -1; // what DoModal gives when there is no window to run

// The window a dialog without a parent belongs to: the application's main window, unless that
// is the dialog itself.
QWidget* OwnerWidget(CWnd* pParentWnd, const CWnd* pDialog) {
    CWnd* owner = pParentWnd != nullptr ? pParentWnd : AfxGetMainWnd();
    if (owner == nullptr || owner == pDialog) {
        return nullptr;
    }
    WindowObject* window = FindWindowObject(owner->m_hWnd);
    return window == nullptr ? nullptr : window->widget.data();
}

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        DestroyWindow();
    }
}

int CDialog::DoModal() {
    if (m_hWnd != nullptr || CreateFromTemplate(m_nIDTemplate, m_pParentWnd) == FALSE) {
        return kNoDialog;
    }
    WindowObject* window = FindWindowObject(m_hWnd);
    auto* widget = window == nullptr ? nullptr : qobject_cast<QDialog*>(window->widget.data());
    // The window may be destroyed while the loop runs; its widget waits for the loop to end.
    if (widget != nullptr && !window->ended) {
        widget->exec();
    }
    const int result = m_nModalResult;
    DestroyWindow();
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    if (CreateFromTemplate(nIDTemplate, pParentWnd) == FALSE) {
        return FALSE;
    }
    WindowObject* window = FindWindowObject(m_hWnd);
    if (window != nullptr && !window->ended && (window->style & WS_VISIBLE) != 0) {
        window->widget->show();
    }
    return TRUE;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    WindowObject* window = FindWindowObject(m_hWnd);
    if (window == nullptr) {
        return;
    }
    window->ended = true;
    if (auto* widget = qobject_cast<QDialog*>(window->widget.data())) {
        widget->done(nResult);
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::CreateFromTemplate(UINT nIDTemplate, CWnd* pParentWnd) {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(nIDTemplate);
    if (dialogTemplate == nullptr) {
        return FALSE;
    }
    m_nModalResult = kNoDialog;
    // Bound as soon as the window exists, so that its first WM_SIZE comes here too.
    const auto bind = [this](HWND hWnd) { Attach(hWnd); };
    if (BuildDialog(*dialogTemplate, OwnerWidget(pParentWnd, this), bind) == nullptr) {
        return FALSE;
    }
    m_bOwnsWindow = TRUE;
    const BOOL setFocus = static_cast<BOOL>(SendMessage(WM_INITDIALOG, 0, 0));
    WindowObject* window = FindWindowObject(m_hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    // TRUE from OnInitDialog leaves the focus to the dialog manager: the first tab stop.
    if (setFocus != FALSE) {
        for (const WindowObject* child : window->children) {
            if ((child->style & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE) &&
                (child->style & WS_DISABLED) == 0 && child->kind != WindowKind::Static) {
                child->widget->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
    return TRUE;
}

LRESULT CDialog::HandleInitDialog(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return OnInitDialog();
}
