#pragma once

#include "windef.h"

// Milliseconds since the system started, in 32 bits: it wraps after about 49.7 days, and
// everything that takes differences of it does so in unsigned 32-bit arithmetic.
DWORD GetTickCount();
// The program's own module for a null name; null for any other name.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
// number x numerator / denominator with a 64-bit product, rounded half away from zero; -1 for a
// zero denominator or a result outside int.
int MulDiv(int nNumber, int nNumerator, int nDenominator);

#define GetModuleHandle GetModuleHandleA
