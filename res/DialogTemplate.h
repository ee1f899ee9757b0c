#pragma once

// Dialog templates as data: what a resource compiler would make of the program's dialogs. The
// platform layer builds windows from them. Plain data only; no window system here.

#include <cstdint>
#include <span>

// The predefined window classes, by the atoms a template names them with.
enum class DialogItemClass : std::uint16_t {
    Button = 0x0080,
    Static = 0x0082,
    ComboBox = 0x0085,
};

// One control. Place and size are in dialog units, relative to the dialog's client area.
struct DialogItemTemplate {
    std::int32_t id; // -1 for statics nobody addresses
    DialogItemClass itemClass;
    const char* text;          // null when the control has none, or names a resource
    std::uint16_t textOrdinal; // the resource the control shows (an icon), 0 when none
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x;
    std::int16_t y;
    std::int16_t cx;
    std::int16_t cy;
};

struct DialogTemplate {
    std::uint16_t id;
    bool extended; // an extended template, which also carries weight, italic and character set
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x;
    std::int16_t y;
    std::int16_t cx; // client width in dialog units
    std::int16_t cy; // client height in dialog units
    const char* caption;
    const char* fontFace;
    std::uint16_t pointSize;
    std::uint16_t weight;
    bool italic;
    std::uint8_t charset;
    std::span<const DialogItemTemplate> items; // in template order: creation, z and tab order
};

// The template with this resource id; null when there is none.
const DialogTemplate* FindDialogTemplate(unsigned id);
