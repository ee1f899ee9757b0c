#pragma once

// What the page (ondeline.js) does for the layer: its elements, its canvas, its clock and its
// events. Elements are known by the numbers this layer gives them; places and sizes cross in
// device pixels, which the page turns into its own CSS pixels. Texts cross as UTF-8 with their
// lengths.

#include <cstdint>

#define ONDELINE_PAGE_CALL(name) __attribute__((import_module("page"), import_name(#name)))

// The kinds of element a window is shown as.
enum class PageElement : std::int32_t {
    Page = 1,     // a top-level window without an owner: the page itself, its caption the title
    Dialog = 2,   // an owned top-level window: a modal <dialog> inside the page
    CheckBox = 3, // <input type="checkbox"> in a <label>
    Button = 4,   // <button>
    Select = 5,   // <select>
    Text = 6,     // a static's text
    Frame = 7,    // a static's sunken frame, open in the middle
    Picture = 8,  // a static's icon
};

// What the page tells the layer has happened, one at a time.
enum class PageEventKind : std::int32_t {
    Pointer = 1,  // a press on a window's client area: a, b the device pixel, c the key flags
    Clicked = 2,  // a button or check box was pressed
    Selected = 3, // the user chose an item of a list
    Resized = 4,  // a window's client area is now a x b device pixels
    Timer = 5,    // a timer of the window, number a, is due
    Menu = 6,     // the user chose item a of the window's menu
    Escape = 7,   // Escape was pressed in the window
};

struct PageEvent {
    PageEventKind kind;
    std::int32_t element;
    std::int32_t a;
    std::int32_t b;
    std::int32_t c;
};

extern "C" {
ONDELINE_PAGE_CALL(create)
void page_create(std::int32_t element, PageElement kind, std::int32_t parent, const char* text,
                 std::int32_t length);
ONDELINE_PAGE_CALL(destroy) void page_destroy(std::int32_t element);
// Places a child in its parent's client area; edge is its sunken edge's width.
ONDELINE_PAGE_CALL(place)
void page_place(std::int32_t element, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height, std::int32_t edge);
// Gives an owned window's client area its size.
ONDELINE_PAGE_CALL(resize)
void page_resize(std::int32_t element, std::int32_t width, std::int32_t height);
ONDELINE_PAGE_CALL(show) void page_show(std::int32_t element, std::int32_t visible);
ONDELINE_PAGE_CALL(focus) void page_focus(std::int32_t element);
// The client area's size in device pixels, written to size[0] and size[1].
ONDELINE_PAGE_CALL(client_size) void page_client_size(std::int32_t element, std::int32_t* size);
// Device pixels per CSS pixel.
ONDELINE_PAGE_CALL(pixel_ratio) double page_pixel_ratio();
// The page's font in device pixels: the width of the 52 letters, and the line's height.
ONDELINE_PAGE_CALL(font_metrics) void page_font_metrics(std::int32_t* metrics);

ONDELINE_PAGE_CALL(get_check) std::int32_t page_get_check(std::int32_t element);
ONDELINE_PAGE_CALL(set_check) void page_set_check(std::int32_t element, std::int32_t checked);
ONDELINE_PAGE_CALL(add_item)
void page_add_item(std::int32_t element, const char* text, std::int32_t length);
ONDELINE_PAGE_CALL(get_selection) std::int32_t page_get_selection(std::int32_t element);
ONDELINE_PAGE_CALL(set_selection) void page_set_selection(std::int32_t element, std::int32_t index);
ONDELINE_PAGE_CALL(add_menu_item)
void page_add_menu_item(std::int32_t element, std::int32_t id, const char* text,
                        std::int32_t length, std::int32_t separator);
ONDELINE_PAGE_CALL(describe)
void page_describe(std::int32_t element, const char* name, std::int32_t nameLength,
                   const char* description, std::int32_t descriptionLength);

// Copies width x height RGBA pixels onto the window's canvas at x, y.
ONDELINE_PAGE_CALL(put_pixels)
void page_put_pixels(std::int32_t element, std::int32_t x, std::int32_t y, std::int32_t width,
                     std::int32_t height, const std::uint8_t* rgba);
// Clears a rectangle of the window's canvas to the page's background.
ONDELINE_PAGE_CALL(erase)
void page_erase(std::int32_t element, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height);
// Shows a width x height RGBA picture as the window's icon (the page's icon for the page).
ONDELINE_PAGE_CALL(set_icon)
void page_set_icon(std::int32_t element, std::int32_t width, std::int32_t height,
                   const std::uint8_t* rgba);

ONDELINE_PAGE_CALL(set_timer)
void page_set_timer(std::int32_t element, std::int32_t timer, std::int32_t milliseconds);
ONDELINE_PAGE_CALL(kill_timers) void page_kill_timers(std::int32_t element);

ONDELINE_PAGE_CALL(alert)
void page_alert(const char* text, std::int32_t length, const char* caption,
                std::int32_t captionLength);

// Takes the oldest event into *event; 0 when there is none.
ONDELINE_PAGE_CALL(next_event) std::int32_t page_next_event(PageEvent* event);
// Returns once an event is waiting, letting the browser run meanwhile: the program's stack is
// unwound into unwindData and wound up again from it (see docs/DEVELOPING.md).
ONDELINE_PAGE_CALL(wait_event) void page_wait_event(void* unwindData);
}
