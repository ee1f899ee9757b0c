#include "platform/afx/AfxWin.h"
#include "platform/dialog/DialogUnits.h"
#include "platform/winqt/dialog/CBlackFrame.h"
#include "platform/winqt/dialog/DialogBuilder.h"
#include "platform/winqt/user/WindowPeer.h"
#include "res/resource.h"
#include "tests/platform/CShownDialogTest.h"
#include "tests/platform/ModalDriver.h"
#include "tests/platform/QtWnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kWaitMs = 5000;

// The main dialog's controls as the user meets them.
struct ControlCase {
    const char* name;
    int id;
    const char* kind; // the Qt class that shows it
    const char* text;
    bool visible;
    bool tabStop;
};

constexpr ControlCase kMainControls[] = {
    {"Ok", IDOK, "QPushButton", "OK", false, true},
    {"Cancel", IDCANCEL, "QPushButton", "Cancel", false, true},
    {"Rain", IDC_RAIN, "QCheckBox", "Rain", true, true},
    {"Frame", IDC_FRAME, "CBlackFrame", "", true, false},
    {"Stretch", IDC_STRETCH, "QCheckBox", "Stretch", true, true},
    {"Drift", IDC_DRIFT, "QCheckBox", "Drift", true, true},
    {"Size", IDC_SIZE, "QComboBox", "", true, true},
    {"Spectrum", IDC_SPECTRUM, "QCheckBox", "Spectrum", true, true},
    {"AddColor", IDC_ADDCOLOR, "QCheckBox", "Add Color", true, true},
};

std::string KindOf(QWidget* widget) {
    if (dynamic_cast<CBlackFrame*>(widget) != nullptr) {
        return "CBlackFrame";
    }
    return widget->metaObject()->className();
}

QString TextOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    return QString();
}

class MainTemplate : public CShownDialogTest<CDialog> {};

class MainTemplateControls : public MainTemplate,
                             public ::testing::WithParamInterface<ControlCase> {};

TEST_P(MainTemplateControls, IsThereWithItsTextVisibilityAndTabStop) {
    const ControlCase& c = GetParam();
    QWidget* widget = Item(c.id);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(KindOf(widget), c.kind);
    EXPECT_EQ(TextOf(widget), QString::fromUtf8(c.text));
    EXPECT_EQ(widget->isVisible(), c.visible);
    EXPECT_EQ((widget->focusPolicy() & Qt::TabFocus) != 0, c.tabStop);
    EXPECT_EQ(widget->parentWidget(), m_widget);
}

INSTANTIATE_TEST_SUITE_P(Each, MainTemplateControls, ::testing::ValuesIn(kMainControls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainTemplate, IsAResizableWindowWithItsCaptionAndBoxes) {
    EXPECT_EQ(m_widget->windowTitle(), "Ondeline");
    EXPECT_TRUE(m_widget->isWindow());
    EXPECT_NE(m_widget->minimumSize(), m_widget->maximumSize());
    const Qt::WindowFlags flags = m_widget->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(m_widget->windowType(), Qt::Window);
}

TEST_F(MainTemplate, ControlsStandInAColumnLeftOfTheFrame) {
    const QRect frame = Item(IDC_FRAME)->geometry();
    const QRect size = Item(IDC_SIZE)->geometry();
    // Top to bottom: the size list, Rain, Drift, Add Color, Spectrum, Stretch.
    const int column[] = {IDC_SIZE, IDC_RAIN, IDC_DRIFT, IDC_ADDCOLOR, IDC_SPECTRUM, IDC_STRETCH};
    int previousBottom = -1;
    for (const int id : column) {
        const QRect place = Item(id)->geometry();
        EXPECT_GT(place.top(), previousBottom) << id;
        EXPECT_LT(place.right(), frame.left()) << id;
        previousBottom = place.top();
    }
    // The frame fills the rest on the right, level with the list.
    EXPECT_EQ(frame.top(), size.top());
    EXPECT_LE(frame.right(), m_widget->width());
    EXPECT_GT(frame.width(), m_widget->width() / 2);
    EXPECT_GT(frame.height(), m_widget->height() * 3 / 4);
}

TEST_F(MainTemplate, PlacesFollowTheFontsDialogUnits) {
    const DialogBaseUnits base = DialogBaseUnitsOf(m_widget->font());
    const RECT client = MapDialogRect(RECT{0, 0, 230, 142}, base);
    EXPECT_EQ(m_widget->width(), client.right);
    EXPECT_EQ(m_widget->height(), client.bottom);
    const RECT frame = MapDialogRect(RECT{82, 7, 82 + 141, 7 + 128}, base);
    EXPECT_EQ(Item(IDC_FRAME)->geometry(),
              QRect(frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top));
    // The list's box is one line high; its template height is the dropped list's.
    EXPECT_LT(Item(IDC_SIZE)->height(), MapDialogRect(RECT{0, 0, 0, 128}, base).bottom / 2);
}

TEST_F(MainTemplate, SizeListHoldsTheEightSizesInOrderWithNoneSelected) {
    auto* combo = static_cast<QComboBox*>(Item(IDC_SIZE));
    ASSERT_EQ(combo->count(), 8);
    for (int i = 0; i < combo->count(); ++i) {
        const int n = 25 * (i + 1);
        EXPECT_EQ(combo->itemText(i), QString("%1 x %2").arg(n).arg(n));
    }
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_GE(combo->maxVisibleItems(), 8);
}

TEST_F(MainTemplate, TabVisitsTheVisibleTabStopsInTemplateOrder) {
    m_widget->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_widget, kWaitMs));
    // The dialog manager puts the focus on the first tab stop that can take it.
    ASSERT_EQ(QApplication::focusWidget(), Item(IDC_RAIN));
    const int order[] = {IDC_STRETCH, IDC_DRIFT, IDC_SIZE, IDC_SPECTRUM, IDC_ADDCOLOR, IDC_RAIN};
    for (const int id : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Item(id)) << id;
    }
}

TEST_F(MainTemplate, TheFrameLetsClicksThroughAndPaintsNoBackground) {
    QWidget* frame = Item(IDC_FRAME);
    EXPECT_TRUE(frame->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(frame->autoFillBackground());
    const QImage shot = m_widget->grab().toImage();
    const QRect place = frame->geometry();
    // A black line two pixels inside, and the dialog's own background within it.
    EXPECT_EQ(shot.pixelColor(place.left() + 2, place.center().y()), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(place.center()), m_widget->palette().window().color());
}

// What the dialog paints over the frame's inside covers the frame's black line, as it does where
// the window system draws the frame beneath the dialog's own painting.
class CPaintingDlg : public CDialog {
public:
    CPaintingDlg() : CDialog(IDD_MAIN) {}

    QRect m_rcPaint;

protected:
    void OnPaint() {
        CPaintDC dc(this);
        if (QPainter* painter = PainterOfPaintDC(dc.GetSafeHdc())) {
            painter->fillRect(m_rcPaint, Qt::red);
        }
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingDlg, CDialog)
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(FramePainting, TheDialogsPictureCoversTheBlackLineButNotTheEdge) {
    CPaintingDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_MAIN));
    QWidget* widget = WidgetOf(&dlg);
    const QRect frame = DialogItemWidget(&dlg, IDC_FRAME)->geometry();
    dlg.m_rcPaint = frame.adjusted(2, 2, -2, -2);
    const QImage shot = widget->grab().toImage();
    EXPECT_EQ(shot.pixelColor(frame.left() + 2, frame.center().y()), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(frame.right() - 2, frame.center().y()), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(frame.left() + 1, frame.center().y()), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(frame.left(), frame.center().y()), QColor(Qt::red));
}

// A paint ends with the window it began on even when EndPaint names no window, so that the
// window's next paint can begin.
class CUnnamedEndDlg : public CDialog {
public:
    CUnnamedEndDlg() : CDialog(IDD_MAIN) {}

    int m_nPaintsBegun = 0;

protected:
    void OnPaint() {
        PAINTSTRUCT ps;
        if (::BeginPaint(m_hWnd, &ps) != nullptr) {
            ++m_nPaintsBegun;
            EXPECT_TRUE(::EndPaint(nullptr, &ps));
        }
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CUnnamedEndDlg, CDialog)
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(FramePainting, APaintEndedUnderNoWindowLeavesTheNextOneFreeToBegin) {
    CUnnamedEndDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_MAIN));
    WidgetOf(&dlg)->grab();
    const int begun = dlg.m_nPaintsBegun;
    ASSERT_GT(begun, 0);
    WidgetOf(&dlg)->grab();
    EXPECT_GT(dlg.m_nPaintsBegun, begun);
}

// The About box: a fixed frame, the icon, two lines of text and a default OK button.
class AboutTemplate : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dlg.Create(IDD_ABOUTBOX));
        m_widget = WidgetOf(&m_dlg);
        ASSERT_NE(m_widget, nullptr);
    }

    std::vector<QLabel*> Labels() {
        std::vector<QLabel*> labels;
        for (QObject* child : m_widget->children()) {
            if (auto* label = qobject_cast<QLabel*>(child)) {
                labels.push_back(label);
            }
        }
        return labels;
    }

    CDialog m_dlg{IDD_ABOUTBOX};
    QWidget* m_widget = nullptr;
};

TEST_F(AboutTemplate, IsAFixedDialogWithoutMinimiseOrMaximise) {
    EXPECT_EQ(m_widget->windowTitle(), "About Ondeline");
    EXPECT_EQ(m_widget->windowType(), Qt::Dialog);
    EXPECT_EQ(m_widget->minimumSize(), m_widget->maximumSize());
    EXPECT_FALSE(m_widget->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(m_widget->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    // Not shown until it runs: the template has no WS_VISIBLE.
    EXPECT_FALSE(m_widget->isVisible());
}

TEST_F(AboutTemplate, ShowsTheIconAndTwoLinesThatFitTheirPlaces) {
    const std::vector<QLabel*> labels = Labels();
    ASSERT_EQ(labels.size(), 3U);
    EXPECT_FALSE(labels[0]->pixmap().isNull());
    EXPECT_EQ(labels[0]->size(), QSize(32, 32));
    EXPECT_EQ(labels[1]->text(), "Ondeline Version 1.0");
    EXPECT_FALSE(labels[2]->text().isEmpty());
    for (QLabel* line : {labels[1], labels[2]}) {
        EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->width())
            << line->text().toStdString();
        EXPECT_LT(line->geometry().right(), DialogItemWidget(&m_dlg, IDOK)->geometry().left());
    }
}

TEST_F(AboutTemplate, OkIsTheVisibleDefaultButton) {
    auto* ok = qobject_cast<QPushButton*>(DialogItemWidget(&m_dlg, IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(ok->isHidden());
}

// Run modally, the About box belongs to the main window and blocks it.
TEST(AboutBox, RunsModallyOverTheMainWindow) {
    CDialog main(IDD_MAIN);
    ASSERT_TRUE(main.Create(IDD_MAIN));
    AfxGetApp()->m_pMainWnd = &main;
    CDialog about(IDD_ABOUTBOX);
    bool modal = false;
    bool owned = false;
    const int result = RunModal(about, [&](QWidget* widget) {
        modal = widget->isModal() && QApplication::activeModalWidget() == widget;
        owned = widget->parentWidget() == WidgetOf(&main);
        QTest::mouseClick(DialogItemWidget(&about, IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(result, IDOK);
    AfxGetApp()->m_pMainWnd = nullptr;
    EXPECT_TRUE(modal);
    EXPECT_TRUE(owned);
    EXPECT_TRUE(IsWindow(main.m_hWnd));
}

// The dialog manager's arithmetic for dialog units.
struct MulDivCase {
    int number;
    int numerator;
    int denominator;
    int expected;
};

class MulDivCases : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivCases, RoundsHalfAwayFromZero) {
    const MulDivCase c = GetParam();
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MulDivCases,
                         ::testing::Values(MulDivCase{230, 6, 4, 345}, MulDivCase{142, 13, 8, 231},
                                           MulDivCase{7, 13, 8, 11}, MulDivCase{2, 3, 4, 2},
                                           MulDivCase{-2, 3, 4, -2}, MulDivCase{1, 1, 2, 1},
                                           MulDivCase{-1, 1, 2, -1}, MulDivCase{3, 5, -2, -8},
                                           MulDivCase{5, 1, 0, -1},
                                           MulDivCase{0x40000000, 8, 1, -1},
                                           MulDivCase{0x40000000, 4, 8, 0x20000000}));

TEST(DialogUnits, MapTheMainFrameAtTheClassicFontsBaseUnits) {
    // "MS Sans Serif" 8 points: 52 letters 312 pixels wide, 13 pixels high.
    const DialogBaseUnits base{AverageCharWidth(312), 13};
    EXPECT_EQ(base.cx, 6);
    const RECT frame = MapDialogRect(RECT{82, 7, 223, 135}, base);
    EXPECT_EQ(frame.left, 123);
    EXPECT_EQ(frame.top, 11);
    EXPECT_EQ(frame.right, 335);
    EXPECT_EQ(frame.bottom, 219);
}

} // namespace
