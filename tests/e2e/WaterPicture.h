#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>

// What a screenshot shows of the water: the bounds of the calm cells and how many there are.
struct WaterPicture {
    QRect calmBounds;
    int calmCount = 0;
};

// Calm water is level 16 in the blue channel, 0x0010, which a 24-bit screen shows as (0, 0, 132).
inline constexpr QRgb kCalmWater = 0xFF000084;
// With Add Color calm water is 0x1510: red 5, green 8, blue 16.
inline constexpr QRgb kCalmTintedWater = 0xFF294284;

WaterPicture FindCalmWater(const QImage& shot, QRgb calm = kCalmWater);

// True when the picture is the same reflected through the cell at (cx, cy) across both axes,
// out to radius pixels, as the rings of a single drop are.
bool IsMirrorSymmetricAbout(const QImage& shot, int cx, int cy, int radius);

// How many pixels within the rectangle differ from calm water.
int CountDisturbedPixels(const QImage& shot, const QRect& area);

// How many of the 32 levels the pixel within the rectangle that lies furthest from calm water
// (level 16) is away from it; the level is the top five bits of the blue, as the screen shows it
// without Add Color.
int LargestSwing(const QImage& shot, const QRect& area);

// The centre of the pixels within the rectangle that differ from calm water; the rectangle's
// centre when none do. Rings around a drop have their centre on the drop's cell.
QPointF DisturbanceCentre(const QImage& shot, const QRect& area);

// The cells of a grid x grid picture shown over the device pixels of picture, one pixel each,
// by the plain nearest-neighbour mapping: device pixel x of the picture shows cell
// x * grid / width. uniform tells whether every cell is one colour over its whole block.
QImage CellsOf(const QImage& shot, const QRect& picture, int grid, bool& uniform);

// The size of the cells of the picture, as a screenshot shows them: across, the largest number
// of device pixels that every run of one colour along a row of the picture is a whole multiple
// of, and down, the same along its columns. Across rings, where most neighbouring cells differ,
// that is the cells' size when they all have one; cells of unequal sizes give 1.
QSize CellSizeOf(const QImage& shot, const QRect& picture);

// The device pixel in the middle of the block that shows a cell.
QPoint CellCentre(const QRect& picture, int grid, QPoint cell);
