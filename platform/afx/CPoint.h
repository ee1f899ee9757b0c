#pragma once

#include <windows.h>

// A point in the class library's style: a POINT that can be built from two coordinates.
struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(int initX, int initY) : POINT{initX, initY} {}
};
