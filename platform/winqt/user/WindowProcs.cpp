#include "platform/user/WindowSystem.h"
#include "platform/winqt/user/IconObject.h"
#include "platform/winqt/user/WindowPeer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

// What the predefined classes' procedures do to Qt's widgets.

namespace {

template <class Widget> Widget* WidgetAs(const WindowObject* control) {
    return qobject_cast<Widget*>(control->peer->widget.data());
}

} // namespace

void ShowWindowCommand(WindowObject* dialog, UINT command) {
    QWidget* widget = dialog->peer->widget;
    if (widget == nullptr) {
        return;
    }
    if (command == SC_MINIMIZE) {
        widget->showMinimized();
    } else if (command == SC_MAXIMIZE) {
        widget->showMaximized();
    } else if (command == SC_RESTORE) {
        widget->showNormal();
    }
}

// Both images make one icon, for the window's caption and task bar.
void ShowWindowIcon(const WindowObject* dialog) {
    QWidget* widget = dialog->peer->widget;
    if (widget == nullptr) {
        return;
    }
    QIcon icon;
    if (const HICON big = dialog->dialog.bigIcon) {
        icon.addPixmap(QPixmap::fromImage(big->large));
    }
    if (const HICON small = dialog->dialog.smallIcon) {
        icon.addPixmap(QPixmap::fromImage(small->small));
    }
    widget->setWindowIcon(icon);
}

LRESULT DefaultDialogMessage(WindowObject* dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message != WM_ICONERASEBKGND) {
        return 0;
    }
    QPainter* painter = PainterOfPaintDC(reinterpret_cast<HDC>(wParam));
    const QWidget* widget = dialog->peer->widget;
    if (painter == nullptr || widget == nullptr) {
        return FALSE;
    }
    painter->fillRect(widget->rect(), widget->palette().window());
    return TRUE;
}

bool IsChecked(const WindowObject* box) {
    const QCheckBox* check = WidgetAs<QCheckBox>(box);
    return check != nullptr && check->checkState() == Qt::Checked;
}

void SetChecked(WindowObject* box, bool checked) {
    if (QCheckBox* check = WidgetAs<QCheckBox>(box)) {
        check->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

int ItemCount(const WindowObject* combo) {
    const QComboBox* list = WidgetAs<QComboBox>(combo);
    return list == nullptr ? 0 : list->count();
}

int SelectedItem(const WindowObject* combo) {
    const QComboBox* list = WidgetAs<QComboBox>(combo);
    return list == nullptr ? -1 : list->currentIndex();
}

void SelectItem(WindowObject* combo, int index) {
    if (QComboBox* list = WidgetAs<QComboBox>(combo)) {
        list->setCurrentIndex(index);
    }
}

LRESULT AddItem(WindowObject* combo, const char* text) {
    QComboBox* list = WidgetAs<QComboBox>(combo);
    if (list == nullptr) {
        return CB_ERR;
    }
    const int place = list->count();
    list->addItem(QString::fromUtf8(text));
    // A list box starts without a selection; Qt's selects the first item it gets.
    if (list->count() == 1) {
        list->setCurrentIndex(-1);
    }
    return place;
}
