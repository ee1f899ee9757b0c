#pragma once

#include "platform/afx/CWnd.h"

// A dialog built from its template in the resources (res/DialogTemplates.cpp) by the system's
// dialog manager, whose dialog procedure binds this object to the window at WM_INITDIALOG; there
// the class library fills lists from the template's initialisation data before OnInitDialog.
// Enter, Escape and the close box reach OnOK and OnCancel as IDOK and IDCANCEL.
//
// Create makes the same window without a modal loop. Only tests use it, to drive a dialog from
// the outside, so only their support library defines it (tests/platform/ModelessDialogs.cpp).
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // -1 when the template is missing or the window cannot be made.
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
    HWND OwnerWindow() const;
    // Fills the lists from the template's DLGINIT data, which the system's dialog manager leaves
    // to the class library, before OnInitDialog.
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
};

// The dialog procedure of every dialog of the class library: it binds the CDialog that
// WM_INITDIALOG's lParam carries, whose message map then gets everything through the binding.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
