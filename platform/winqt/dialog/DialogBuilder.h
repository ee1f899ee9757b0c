#pragma once

#include "platform/dialog/DialogUnits.h"

class QFont;

// The dialog base units of the font that stands in for the template's.
DialogBaseUnits DialogBaseUnitsOf(const QFont& font);
