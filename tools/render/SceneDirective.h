#pragma once

// One checked line of a scene script. Every value has been range-checked by the parser, so the
// renderer can run a script without ever failing on its content.

#include "ripple/DropSources.h"
#include "ripple/RippleField.h"

#include <cstdint>
#include <variant>

struct GridDirective {
    int width;
    int height;
};

struct OptionsDirective {
    FieldOptions options;
};

struct DropDirective {
    double x;
    double y;
    std::uint32_t tick;
};

struct RectDirective {
    DisplayRect rect;
};

struct ClickDirective {
    int px;
    int py;
    std::uint32_t tick;
};

struct RainDirective {
    std::uint32_t tick;
};

struct NowDirective {
    std::uint32_t tick;
};

using SceneAction = std::variant<GridDirective, OptionsDirective, DropDirective, RectDirective,
                                 ClickDirective, RainDirective, NowDirective>;

struct SceneDirective {
    int line; // 1-based line of the script it came from
    SceneAction action;
};
