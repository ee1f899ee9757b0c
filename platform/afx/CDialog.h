#pragma once

#include "platform/afx/CWnd.h"

// A dialog built from its template in the resources (res/DialogTemplates.cpp).
//
// DoModal builds the window and its controls, sends WM_INITDIALOG, where the class library fills
// lists from the template's initialisation data before OnInitDialog, shows the window and
// dispatches its messages one at a time until EndDialog; then it destroys the window and returns
// the end code. Enter sends IDOK and Escape IDCANCEL as WM_COMMAND, and the close box sends
// WM_CLOSE, whose default processing is IDCANCEL; IDOK and IDCANCEL reach OnOK and OnCancel, which
// end the dialog unless a derived class says otherwise.
//
// Both go through the system's dialog manager (DialogBoxParam, CreateDialogParam), whose dialog
// procedure binds this object to the window at WM_INITDIALOG.
//
// Create builds the same window without a modal loop (it stays until DestroyWindow or the
// object's end). Only tests use it, to drive a dialog from the outside, and only their support
// library defines it (tests/platform/ModelessDialogs.cpp); DoModal with the test's work posted to
// the event loop (PostToUi in tests/platform/QtWnd.h) serves as well.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // The end code given to EndDialog; -1 when the template is missing or the window cannot be
    // made.
    virtual int DoModal();
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();

protected:
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    friend INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window the dialog belongs to: its parent, or else the application's main window
    // unless that is this dialog.
    HWND OwnerWindow() const;
    // Fills the controls from the template's initialisation data (the DLGINIT resource), which
    // the system's dialog manager leaves to the class library.
    void ExecuteDlgInit();
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
};

// The dialog procedure of every dialog of the class library: at WM_INITDIALOG it binds the
// CDialog that lParam carries and runs its OnInitDialog; everything else the dialog's message
// map gets through the binding.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
