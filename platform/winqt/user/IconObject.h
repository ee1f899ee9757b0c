#pragma once

// The record behind an icon handle: the icon's images, made from the resource data.

#include <windows.h>

#include <QImage>

struct IconObject {
    QImage large; // SM_CXICON x SM_CYICON
    QImage small; // SM_CXSMICON x SM_CYSMICON
};
