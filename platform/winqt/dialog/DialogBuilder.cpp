#include "platform/winqt/dialog/DialogBuilder.h"

#include "platform/dialog/DialogRecords.h"
#include "platform/user/WindowSystem.h"

#include "platform/winqt/dialog/CBlackFrame.h"
#include "platform/winqt/dialog/CDialogWindow.h"
#include "platform/winqt/session/Application.h"
#include "platform/winqt/user/IconObject.h"
#include "platform/winqt/user/SystemMenu.h"
#include "res/AccessibleText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace {

constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

Qt::WindowFlags WindowFlagsOf(DWORD style) {
    const std::pair<DWORD, Qt::WindowFlags> hints[] = {
        {WS_CAPTION, Qt::WindowTitleHint},
        {WS_SYSMENU, Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint},
        {WS_MINIMIZEBOX, Qt::WindowMinimizeButtonHint},
        {WS_MAXIMIZEBOX, Qt::WindowMaximizeButtonHint}};
    Qt::WindowFlags flags = (style & DS_MODALFRAME) != 0 ? Qt::Dialog : Qt::Window;
    flags |= Qt::CustomizeWindowHint;
    // A caption is two style bits, both of which it needs.
    for (const auto& [bits, hint] : hints) {
        if ((style & bits) == bits) {
            flags |= hint;
        }
    }
    return flags;
}

QWidget* MakeButton(const DialogItemTemplate& item, QWidget* parent, HWND hCtl) {
    const QString text = QString::fromUtf8(item.text);
    QAbstractButton* button = nullptr;
    if ((item.style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        button = new QCheckBox(text, parent);
    } else {
        auto* push = new QPushButton(text, parent);
        // Enter goes through the dialog, which knows its default button even when hidden.
        push->setAutoDefault(false);
        push->setDefault((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        button = push;
    }
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [hCtl] { NotifyParent(FindWindowObject(hCtl), BN_CLICKED); });
    return button;
}

QWidget* MakeStatic(const DialogItemTemplate& item, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (item.style & SS_TYPEMASK) {
    case SS_ICON: {
        auto* label = new QLabel(parent);
        if (HICON icon = LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCEA(item.textOrdinal))) {
            label->setPixmap(QPixmap::fromImage(icon->large));
        }
        widget = label;
        break;
    }
    case SS_BLACKFRAME:
        widget = new CBlackFrame(parent, (item.exStyle & WS_EX_CLIENTEDGE) != 0);
        break;
    default: {
        auto* label = new QLabel(QString::fromStdString(ShownText(item)), parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    }
    // A static without notifications lets clicks through to the dialog beneath.
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

QWidget* MakeComboBox(QWidget* parent, HWND hCtl) {
    auto* combo = new QComboBox(parent); // not editable: a drop-down list
    // The user's choice notifies; selecting from code does not.
    QObject::connect(combo, &QComboBox::activated, combo,
                     [hCtl] { NotifyParent(FindWindowObject(hCtl), CBN_SELCHANGE); });
    return combo;
}

void PlaceControl(QWidget* widget, const DialogItemTemplate& item, const DialogBaseUnits& base) {
    const RECT rc = MapDialogRect(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy}, base);
    QRect place(rc.left, rc.top, std::max(0, rc.right - rc.left), std::max(0, rc.bottom - rc.top));
    if (item.itemClass == DialogItemClass::ComboBox) {
        // The template's height is the list's when dropped; the closed box is one line high.
        auto* combo = static_cast<QComboBox*>(widget);
        const int fieldHeight = combo->sizeHint().height();
        const int lineHeight = std::max(1, QFontMetrics(combo->font()).height());
        combo->setMaxVisibleItems(std::max(1, (place.height() - fieldHeight) / lineHeight));
        place.setHeight(fieldHeight);
    } else if (item.itemClass == DialogItemClass::Static && (item.style & SS_TYPEMASK) == SS_ICON) {
        // An icon static takes the icon's size.
        place.setSize(QSize(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    }
    widget->setGeometry(place);
}

void ApplyStyle(QWidget* widget, const DialogItemTemplate& item) {
    if (item.itemClass != DialogItemClass::Static) {
        widget->setFocusPolicy((item.style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
    }
    widget->setEnabled((item.style & WS_DISABLED) == 0);
    if ((item.style & WS_VISIBLE) == 0) {
        widget->hide();
    }
}

// Screen readers announce a control by its own text; the water and the size list have none, and
// a line on what an option does helps whoever cannot see the picture change.
void ApplyAccessibleText(QWidget* widget, const WindowObject* dialog, std::int32_t controlId) {
    const AccessibleText* text = FindAccessibleText(static_cast<unsigned>(dialog->id), controlId);
    if (text == nullptr) {
        return;
    }
    // A null text converts to an empty one, which is what a control has without it.
    widget->setAccessibleName(QString::fromUtf8(text->name));
    widget->setAccessibleDescription(QString::fromUtf8(text->description));
}

void CreateControl(WindowObject* dialog, QWidget* parent, const DialogItemTemplate& item,
                   const DialogBaseUnits& base) {
    HWND hCtl = RegisterControl(dialog, item);

    QWidget* widget = nullptr;
    switch (item.itemClass) {
    case DialogItemClass::Button:
        widget = MakeButton(item, parent, hCtl);
        break;
    case DialogItemClass::ComboBox:
        widget = MakeComboBox(parent, hCtl);
        break;
    case DialogItemClass::Static:
        widget = MakeStatic(item, parent);
        break;
    }
    hCtl->peer->widget = widget;
    PlaceControl(widget, item, base);
    ApplyStyle(widget, item);
    ApplyAccessibleText(widget, dialog, item.id);
}

// Tab moves through the tab stops in template order.
void SetTabOrder(const WindowObject* dialog) {
    QWidget* previous = nullptr;
    for (const WindowObject* child : dialog->children) {
        if ((child->style & WS_TABSTOP) == 0 || child->kind == WindowKind::Static) {
            continue;
        }
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, child->peer->widget);
        }
        previous = child->peer->widget;
    }
}

} // namespace

DialogBaseUnits DialogBaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    return DialogBaseUnits{
        std::max(1, AverageCharWidth(metrics.horizontalAdvance(QString::fromLatin1(kAlphabet)))),
        std::max(1, metrics.height())};
}

HWND BuildDialog(const DialogTemplate& dialogTemplate, HWND owner, WNDPROC classProc,
                 DLGPROC dialogProc) {
    StartWindowSystem();
    HWND hDlg = RegisterDialog(dialogTemplate, classProc, dialogProc);
    auto* widget =
        new CDialogWindow(WidgetOfHandle(owner), WindowFlagsOf(dialogTemplate.style), hDlg);
    widget->setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    hDlg->peer->widget = widget;
    hDlg->peer->widgetEnd = widget;

    // The platform's font stands in for the template's.
    const DialogBaseUnits base = DialogBaseUnitsOf(widget->font());
    const RECT client = MapDialogRect(RECT{0, 0, dialogTemplate.cx, dialogTemplate.cy}, base);
    widget->resize(client.right, client.bottom);
    if ((dialogTemplate.style & WS_THICKFRAME) == 0) {
        widget->setFixedSize(client.right, client.bottom);
    }

    for (const DialogItemTemplate& item : dialogTemplate.items) {
        CreateControl(hDlg, widget, item, base);
    }
    SetTabOrder(hDlg);
    InstallSystemMenuKeys(hDlg);
    // The window system reports the first size while it makes the window, before
    // WM_INITDIALOG.
    widget->SendSize();
    return hDlg;
}
