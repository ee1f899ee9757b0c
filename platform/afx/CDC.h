#pragma once

#include <windows.h>

// A thin owner of an HDC.
class CDC {
public:
    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
};
