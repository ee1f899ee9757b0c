#pragma once

// The icon's motif drawn again from shapes instead of pixels: a drop about to meet the water,
// above the rings of the drop before it, in the colours of the pixel design. It serves the icon
// sizes larger than the hand-set 32 x 32 image, which would only show its steps when enlarged.

#include "res/IconImage.h"
#include "tools/icons/CRgbaImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CDropDrawing {
public:
    // The colours come from the design's palette; shapes are placed in its frame, so that a
    // drawing at the design's own size lies over the pixel image.
    explicit CDropDrawing(const IconImage& design);
    // The motif of the group's largest image, whose finer steps hold the most of the shapes;
    // empty when there is no group or it has no images.
    static std::optional<CDropDrawing> OfIcon(const IconGroup* group);

    // The motif filling a size x size picture, its edges smoothed by coverage.
    CRgbaImage Draw(int size) const;
    // The same shapes as a scalable SVG document, in design units, for icon themes' scalable
    // folder: an ellipse, a ring or a drop each becomes one filled path.
    std::string Svg() const;

private:
    enum class ShapeKind { Ellipse, Ring, Drop };

    // In design units: (cx, cy) the centre; rx, ry the radii of an ellipse, or the middle line
    // of a ring whose width is w; for a drop, rx is its round body's radius and ry its tip's y.
    struct Layer {
        ShapeKind kind;
        double cx;
        double cy;
        double rx;
        double ry;
        double w;
        std::uint32_t rgb;
    };

    void AddRippleLayers(const IconImage& design);
    void AddDropLayers(const IconImage& design);
    // 0 where no shape covers the point, else the topmost shape's colour, opaque.
    std::uint32_t ColourAt(double u, double v) const;
    static bool Covers(const Layer& layer, double u, double v);
    static std::uint32_t Colour(const IconImage& design, int paletteIndex);
    static std::string SvgPath(const Layer& layer);

    int m_nDesignSize;           // the design's width, in the units the shapes are placed in
    std::vector<Layer> m_layers; // bottom first
};
