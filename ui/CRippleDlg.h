#pragma once

#include "platform/afx/AfxWin.h"
#include "res/resource.h"
#include "ripple/CChangedCells.h"
#include "ripple/CStillFrame.h"
#include "ripple/RippleField.h"
#include "surface/CDibSurface.h"

// The program's only main window: a resizable dialog that shows the water in a frame, with the
// option boxes and the size list beside it. Its 100 ms timer synthesises a frame from the drop
// table, paint copies the frame into the display rectangle, and clicks on the water drop stones.
class CRippleDlg : public CDialog {
public:
    explicit CRippleDlg(CWnd* pParent = nullptr);

    enum { IDD = IDD_MAIN };

    // Public in the class library's manner, so that tests can look at the dialog's state.
    int m_nGridW = 0;
    int m_nGridH = 0;
    CButton m_btnAddColor;
    CButton m_btnSpectrum;
    CComboBox m_cbSize;
    CButton m_btnDrift;
    CStatic m_stFrame;
    CButton m_btnStretch;
    CButton m_btnRain;
    CDibSurface m_surface;
    RECT m_rcDisplay = {0, 0, 0, 0};
    int m_nNextDrop = 0;
    HICON m_hIcon = nullptr;

    // Makes a black cx x cy surface for a cx x cy grid and re-lays out; the drop table is left
    // as it is. FALSE when the surface could not be made.
    BOOL SetGridSize(int cx, int cy);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter and Escape must not close the window; only WM_CLOSE does.
    void OnOK() override;
    void OnCancel() override;

    void RenderField(const FieldOptions& options);
    void AddDrop(CPoint point);
    void MakeRain();
    int LayoutDisplay(int cx, int cy);

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnStretch();
    void OnSelchangeSize();

    DECLARE_MESSAGE_MAP()

private:
    BOOL HasSurface() const;
    FieldOptions ReadOptions() const;
    static BOOL IsChecked(const CButton& button);
    // Asks for a paint of the cells whose pixels the last frame changed, and of nothing else.
    void InvalidateChangedCells();

    // The last frame, when drawing it again would change nothing a person can see.
    CStillFrame m_stillFrame;
    // The frame the screen was last asked to show, to find the cells a new frame changes.
    CChangedCells m_changedCells;
};
