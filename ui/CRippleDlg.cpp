#include "ui/CRippleDlg.h"

#include "ripple/DropSources.h"
#include "ripple/RandomSource.h"
#include "ripple/RippleDrop.h"
#include "ripple/RippleField.h"
#include "ui/DisplayLayout.h"

namespace {

constexpr UINT_PTR kAnimationTimerId = 2; // the dialog's one timer
constexpr UINT kFramePeriodMs = 100;      // a new frame ten times a second
constexpr int kStartSizeIndex = 3;        // "100 x 100" in the size list
constexpr int kSizeStep = 25;             // list item i is a grid of 25 x (i + 1) cells
constexpr int kStartGridSize = kSizeStep * (kStartSizeIndex + 1);
constexpr WORD kBlack = 0;               // a new surface shows black until the next frame
constexpr UINT kSysCommandMask = 0xFFF0; // the low four bits of a system command are the system's

DisplayRect ToDisplayRect(const RECT& rc) {
    return {rc.left, rc.top, rc.right, rc.bottom};
}

} // namespace

CRippleDlg::CRippleDlg(CWnd* pParent) : CDialog(IDD, pParent) {
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

void CRippleDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ADDCOLOR, m_btnAddColor);
    DDX_Control(pDX, IDC_SPECTRUM, m_btnSpectrum);
    DDX_Control(pDX, IDC_SIZE, m_cbSize);
    DDX_Control(pDX, IDC_DRIFT, m_btnDrift);
    DDX_Control(pDX, IDC_FRAME, m_stFrame);
    DDX_Control(pDX, IDC_STRETCH, m_btnStretch);
    DDX_Control(pDX, IDC_RAIN, m_btnRain);
}

// clang-format off
BEGIN_MESSAGE_MAP(CRippleDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_WM_LBUTTONDOWN()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_BN_CLICKED(IDC_STRETCH, OnStretch)
    ON_CBN_SELCHANGE(IDC_SIZE, OnSelchangeSize)
END_MESSAGE_MAP()
// clang-format on

BOOL CRippleDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu != nullptr) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_cbSize.SetCurSel(kStartSizeIndex);
    SetGridSize(kStartGridSize, kStartGridSize);
    // The program opens its dialog once, so the water it starts from is the one a new process
    // has; a dialog opened again in the same process starts from the same.
    ResetWater(m_nNextDrop);
    SetTimer(kAnimationTimerId, kFramePeriodMs, nullptr);
    return TRUE;
}

void CRippleDlg::OnOK() {}

void CRippleDlg::OnCancel() {}

BOOL CRippleDlg::SetGridSize(int cx, int cy) {
    m_nGridW = cx;
    m_nGridH = cy;
    m_surface.Free();
    const BOOL ok = m_surface.Create(cx, cy, kBlack);
    m_stillFrame.Forget();
    m_changedCells.Forget();

    RECT rc;
    GetClientRect(&rc);
    LayoutDisplay(rc.right - rc.left, rc.bottom - rc.top);
    InvalidateRect(&m_rcDisplay, FALSE);
    return ok;
}

void CRippleDlg::RenderField(const FieldOptions& options) {
    const std::uint32_t now = GetTickCount();
    SynthesizeField(m_nGridW, m_nGridH, options, now, g_drops, m_surface.m_pBits,
                    m_surface.Stride(), m_surface.Height());
    m_stillFrame.Rendered(m_nGridW, m_nGridH, options, g_drops);
}

void CRippleDlg::AddDrop(CPoint point) {
    AddDropAt(g_drops, m_nNextDrop, ToDisplayRect(m_rcDisplay), m_nGridW, m_nGridH, point.x,
              point.y, GetTickCount());
}

void CRippleDlg::MakeRain() {
    MakeRainAt(g_drops, m_nNextDrop, m_nGridW, m_nGridH, GetTickCount, Rand);
}

int CRippleDlg::LayoutDisplay(int cx, int cy) {
    // Size notifications come while the dialog is being built, before the frame is bound.
    if (!IsWindow(m_stFrame.m_hWnd)) {
        return 0;
    }
    RECT frame;
    m_stFrame.GetWindowRect(&frame);
    ScreenToClient(&frame);
    // The picture fills the frame's inside, whose edge is as wide as the window system draws it
    // at this scale.
    POINT inside{0, 0};
    m_stFrame.ClientToScreen(&inside);
    ScreenToClient(&inside);

    // A cell is a block of whole device pixels, about as large as a pixel of the unscaled screen.
    const int nCellPixels = CellPixels(AfxGetDpiForWindow(m_hWnd));
    const int naturalW = m_nGridW * nCellPixels;
    const int naturalH = m_nGridH * nCellPixels;
    const DisplayLayout layout =
        ComputeDisplayLayout(frame, cx, cy, IsChecked(m_btnStretch), naturalW, naturalH,
                             static_cast<int>(inside.x - frame.left));
    m_stFrame.MoveWindow(layout.frame.left, layout.frame.top,
                         layout.frame.right - layout.frame.left,
                         layout.frame.bottom - layout.frame.top, TRUE);
    m_rcDisplay = layout.display;
    return 0;
}

void CRippleDlg::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
    if ((nID & kSysCommandMask) == IDM_ABOUTBOX) {
        // The About box belongs to the application; the command goes to it, as a menu command
        // of the class library's applications does.
        AfxGetApp()->OnCmdMsg(IDM_ABOUTBOX, 0);
        return;
    }
    Default();
}

void CRippleDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        RECT rect;
        GetClientRect(&rect);
        const int x = (rect.right - rect.left - cxIcon + 1) / 2;
        const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
        return;
    }
    CPaintDC dc(this);
    if (HasSurface()) {
        m_surface.Blit(&dc, &m_rcDisplay, nullptr);
    }
    Default();
}

HCURSOR CRippleDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CRippleDlg::OnTimer(UINT_PTR /*nIDEvent*/) {
    if (HasSurface()) {
        // Calm water stays calm: a frame that would repeat the last pixel for pixel is neither
        // drawn nor painted again.
        const FieldOptions options = ReadOptions();
        if (!m_stillFrame.WouldRepeat(m_nGridW, m_nGridH, options, g_drops)) {
            RenderField(options);
            InvalidateChangedCells();
        }
        if (IsChecked(m_btnRain)) {
            MakeRain();
        }
    }
    Default();
}

void CRippleDlg::OnLButtonDown(UINT /*nFlags*/, CPoint point) {
    AddDrop(point);
}

void CRippleDlg::OnSize(UINT /*nType*/, int cx, int cy) {
    Default();
    // A minimised window reports 0 x 0; it keeps the layout it had.
    if (cx > 0 && cy > 0) {
        LayoutDisplay(cx, cy);
        Invalidate(TRUE);
    }
}

void CRippleDlg::OnClose() {
    CDialog::OnOK();
}

void CRippleDlg::OnStretch() {
    RECT rc;
    GetClientRect(&rc);
    LayoutDisplay(rc.right - rc.left, rc.bottom - rc.top);
    Invalidate(TRUE);
}

void CRippleDlg::OnSelchangeSize() {
    const int i = m_cbSize.GetCurSel();
    if (i == CB_ERR) {
        return;
    }
    const int n = kSizeStep * i + kSizeStep;
    SetGridSize(n, n);
    Invalidate(TRUE);
}

BOOL CRippleDlg::HasSurface() const {
    return m_surface.m_pbmi != nullptr && m_surface.m_pBits != nullptr;
}

// The boxes are read in this order, Drift, Spectrum, Add Color, before the tick.
FieldOptions CRippleDlg::ReadOptions() const {
    FieldOptions options;
    options.drift = IsChecked(m_btnDrift);
    options.spectrum = IsChecked(m_btnSpectrum);
    options.addColor = IsChecked(m_btnAddColor);
    return options;
}

// Whatever else must be painted whole (an expose, a new layout, a new surface) asks for it
// itself; between those, the screen shows the frame before this one everywhere, so the cells
// this frame changed are all that need painting.
void CRippleDlg::InvalidateChangedCells() {
    for (const CellRect& cells : m_changedCells.Compare(m_surface.m_pBits, m_surface.Stride(),
                                                        m_surface.Width(), m_surface.Height())) {
        const RECT rc = CellsOnScreen(m_rcDisplay, m_nGridW, m_nGridH, cells);
        InvalidateRect(&rc, FALSE);
    }
}

BOOL CRippleDlg::IsChecked(const CButton& button) {
    return button.GetCheck() == BST_CHECKED;
}
