#pragma once

// The dialog base units of Qt's fonts, which stand in for the templates' font.

#include "platform/dialog/DialogUnits.h"

class QFont;

// The dialog base units of the font that stands in for the template's.
DialogBaseUnits DialogBaseUnitsOf(const QFont& font);
