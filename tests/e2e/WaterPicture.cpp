#include "WaterPicture.h"

#include "platform/gdi/GdiHandles.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

WaterPicture FindCalmWater(const QImage& shot, QRgb calm) {
    WaterPicture picture;
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) | 0xFF000000) != calm)
                continue;
            picture.calmBounds |= QRect(x, y, 1, 1);
            ++picture.calmCount;
        }
    }
    return picture;
}

bool IsMirrorSymmetricAbout(const QImage& shot, int cx, int cy, int radius) {
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    for (int d = 1; d <= radius; ++d) {
        if (image.pixel(cx + d, cy) != image.pixel(cx - d, cy))
            return false;
        if (image.pixel(cx, cy + d) != image.pixel(cx, cy - d))
            return false;
        if (image.pixel(cx + d, cy + d) != image.pixel(cx - d, cy - d))
            return false;
    }
    return true;
}

int CountDisturbedPixels(const QImage& shot, const QRect& area) {
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) | 0xFF000000) != kCalmWater)
                ++count;
        }
    }
    return count;
}

int LargestSwing(const QImage& shot, const QRect& area) {
    constexpr int kCalmLevel = 16;
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    const QRect inside = area & image.rect();
    int swing = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            swing = std::max(swing, std::abs((qBlue(image.pixel(x, y)) >> 3) - kCalmLevel));
    }
    return swing;
}

QPointF DisturbanceCentre(const QImage& shot, const QRect& area) {
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    const QRect inside = area & image.rect();
    double sumX = 0;
    double sumY = 0;
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if ((image.pixel(x, y) | 0xFF000000) == kCalmWater)
                continue;
            // A pixel's centre lies half a pixel in from its corner.
            sumX += x + 0.5;
            sumY += y + 0.5;
            ++count;
        }
    }
    if (count == 0)
        return QRectF(area).center();
    return {sumX / count, sumY / count};
}

QImage CellsOf(const QImage& shot, const QRect& picture, int grid, bool& uniform) {
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    QImage cells(grid, grid, QImage::Format_RGB32);
    uniform = !picture.isEmpty() && image.rect().contains(picture);
    if (!uniform)
        return cells;
    QImage seen(grid, grid, QImage::Format_Mono);
    seen.fill(0);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const auto column = static_cast<int>(StretchedSource(x, grid, picture.width()));
            const auto row = static_cast<int>(StretchedSource(y, grid, picture.height()));
            const QRgb pixel = image.pixel(picture.left() + x, picture.top() + y);
            if (seen.pixelIndex(column, row) == 0) {
                seen.setPixel(column, row, 1);
                cells.setPixel(column, row, pixel);
            } else if (cells.pixel(column, row) != pixel) {
                uniform = false;
            }
        }
    }
    return cells;
}

QSize CellSizeOf(const QImage& shot, const QRect& picture) {
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    const QRect inside = picture & image.rect();
    // Each line of pixels is walked from its first pixel, and a run ends where the colour changes
    // or the line does.
    auto divisorOfRuns = [&](int lines, int length, auto pixelAt) {
        int divisor = 0;
        for (int line = 0; line < lines; ++line) {
            int run = 1;
            for (int i = 1; i <= length; ++i) {
                if (i < length && pixelAt(line, i) == pixelAt(line, i - 1)) {
                    ++run;
                    continue;
                }
                divisor = std::gcd(divisor, run);
                run = 1;
            }
        }
        return divisor;
    };
    const int across = divisorOfRuns(inside.height(), inside.width(), [&](int row, int column) {
        return image.pixel(inside.left() + column, inside.top() + row);
    });
    const int down = divisorOfRuns(inside.width(), inside.height(), [&](int column, int row) {
        return image.pixel(inside.left() + column, inside.top() + row);
    });
    return {across, down};
}

QPoint CellCentre(const QRect& picture, int grid, QPoint cell) {
    // Cell c covers the device pixels whose source pixel, by the stretch's rule, is c.
    auto middle = [grid](int c, int size) {
        int first = 0;
        while (first < size && StretchedSource(first, grid, size) < c) {
            ++first;
        }
        int last = first;
        while (last + 1 < size && StretchedSource(last + 1, grid, size) == c) {
            ++last;
        }
        return (first + last) / 2;
    };
    return picture.topLeft() +
           QPoint(middle(cell.x(), picture.width()), middle(cell.y(), picture.height()));
}
