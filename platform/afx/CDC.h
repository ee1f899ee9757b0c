#pragma once

#include <windows.h>

// A device context to draw on, in the class library's style: a thin owner of an HDC.
class CDC {
public:
    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
};
