#pragma once

// The record behind an icon handle: the icon's images, made from the resource data.

#include "platform/winapi/winuser.h"

#include <QIcon>
#include <QImage>

struct IconObject {
    QImage large; // SM_CXICON x SM_CYICON
    QImage small; // SM_CXSMICON x SM_CYSMICON
};

// Both images as one icon, for a window's caption and task bar.
QIcon IconOf(HICON big, HICON small);
