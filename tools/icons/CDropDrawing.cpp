#include "tools/icons/CDropDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The pixel design's colours by palette index: outlines, water, light reflections, highlight.
constexpr int kNavy = 0x4;
constexpr int kBlue = 0xC;
constexpr int kAqua = 0xE;
constexpr int kWhite = 0xF;

// Outlines and rings are one design pixel wide, as in the pixel image.
constexpr double kLine = 1.0;

// The water's surface: an ellipse across the lower part of the frame, seen from the side.
constexpr double kPoolX = 16.0;
constexpr double kPoolY = 24.5;
constexpr double kPoolRx = 16.0;
constexpr double kPoolRy = 6.5;

// The rings of light on it, outermost first: horizontal and vertical radii of each ring's
// middle line, and its colour.
struct RingShape {
    double rx;
    double ry;
    int colour;
};
constexpr RingShape kRings[] = {{11.5, 4.0, kAqua}, {6.5, 2.0, kAqua}, {2.5, 1.0, kWhite}};

// The falling drop: a round body with a point on top.
constexpr double kDropX = 16.0;
constexpr double kDropY = 11.0;
constexpr double kDropRadius = 5.0;
constexpr double kDropTipY = 3.0;

// The light on the drop's upper left: an aqua glint around a white one.
constexpr double kGlintX = 13.75;
constexpr double kGlintY = 10.5;
constexpr double kGlintRx = 1.75;
constexpr double kGlintRy = 2.5;
constexpr double kShineX = 13.9;
constexpr double kShineY = 10.3;
constexpr double kShineRx = 1.0;
constexpr double kShineRy = 1.5;

// Subsamples per pixel and axis; 64 in all keep the smoothed edges within a step of 1/64.
constexpr int kSamples = 8;

constexpr std::uint32_t kOpaque = 0xFF000000;

// Coordinates in the SVG keep six significant digits, far finer than any pixel it is drawn at.
constexpr char kSvgNumber[] = "%.6g";

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, kSvgNumber, value);
    return text;
}

std::string Point(double x, double y) {
    return Number(x) + "," + Number(y);
}

// A closed ellipse as two half arcs, which SVG paths can join where a single arc cannot.
std::string EllipsePath(double cx, double cy, double rx, double ry) {
    const std::string arc = "A" + Number(rx) + "," + Number(ry) + " 0 1 0 ";
    return "M" + Point(cx - rx, cy) + arc + Point(cx + rx, cy) + arc + Point(cx - rx, cy) + "Z";
}

bool InsideEllipse(double dx, double dy, double rx, double ry) {
    if (rx <= 0.0 || ry <= 0.0) {
        return false;
    }
    const double x = dx / rx;
    const double y = dy / ry;
    return x * x + y * y <= 1.0;
}

// Where the drop's straight sides touch its round body: the height, and the distance to either
// side of the middle. Zero width when the tip lies inside the body and there are no sides.
struct DropSides {
    double touchY;
    double halfWidth;
    double side; // from the tip to a touching point
};

DropSides SidesOf(double cy, double radius, double tipY) {
    const double reach = cy - tipY; // from the tip to the body's centre
    if (reach <= radius) {
        return {tipY, 0.0, 0.0};
    }
    const double side = std::sqrt(reach * reach - radius * radius);
    const double touchY = tipY + side * side / reach;
    return {touchY, (touchY - tipY) * radius / side, side};
}

// The body and the two straight sides that run from the tip to where they touch the body.
bool InsideDrop(double dx, double v, double cy, double radius, double tipY) {
    const double dy = v - cy;
    if (dx * dx + dy * dy <= radius * radius) {
        return true;
    }
    const DropSides sides = SidesOf(cy, radius, tipY);
    if (sides.side <= 0.0 || v < tipY) {
        return false;
    }
    return v <= sides.touchY && std::abs(dx) <= (v - tipY) * radius / sides.side;
}

} // namespace

CDropDrawing::CDropDrawing(const IconImage& design) : m_nDesignSize(design.width) {
    AddRippleLayers(design);
    AddDropLayers(design);
}

std::optional<CDropDrawing> CDropDrawing::OfIcon(const IconGroup* group) {
    if (group == nullptr || group->images.empty()) {
        return std::nullopt;
    }
    return CDropDrawing(*std::max_element(
        group->images.begin(), group->images.end(),
        [](const IconImage& a, const IconImage& b) { return a.width < b.width; }));
}

void CDropDrawing::AddRippleLayers(const IconImage& design) {
    m_layers.push_back(
        {ShapeKind::Ellipse, kPoolX, kPoolY, kPoolRx, kPoolRy, 0, Colour(design, kNavy)});
    m_layers.push_back({ShapeKind::Ellipse, kPoolX, kPoolY, kPoolRx - kLine, kPoolRy - kLine, 0,
                        Colour(design, kBlue)});
    for (const RingShape& ring : kRings) {
        m_layers.push_back({ShapeKind::Ring, kPoolX, kPoolY, ring.rx, ring.ry, kLine,
                            Colour(design, ring.colour)});
    }
}

void CDropDrawing::AddDropLayers(const IconImage& design) {
    // The water inside the outline is the same drop shrunk by a line's width all round: its
    // sides move in by a line, so its tip drops by a line over the sine of the half angle at
    // the tip, which is the radius over the tip's distance from the centre.
    const double tipDrop = kLine * (kDropY - kDropTipY) / kDropRadius;
    m_layers.push_back(
        {ShapeKind::Drop, kDropX, kDropY, kDropRadius, kDropTipY, 0, Colour(design, kNavy)});
    m_layers.push_back({ShapeKind::Drop, kDropX, kDropY, kDropRadius - kLine, kDropTipY + tipDrop,
                        0, Colour(design, kBlue)});
    m_layers.push_back(
        {ShapeKind::Ellipse, kGlintX, kGlintY, kGlintRx, kGlintRy, 0, Colour(design, kAqua)});
    m_layers.push_back(
        {ShapeKind::Ellipse, kShineX, kShineY, kShineRx, kShineRy, 0, Colour(design, kWhite)});
}

CRgbaImage CDropDrawing::Draw(int size) const {
    CRgbaImage picture(size, size);
    if (size <= 0) {
        return picture;
    }
    const double unitsPerPixel = static_cast<double>(m_nDesignSize) / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            unsigned covered = 0;
            unsigned red = 0;
            unsigned green = 0;
            unsigned blue = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double u = (x + (sx + 0.5) / kSamples) * unitsPerPixel;
                    const double v = (y + (sy + 0.5) / kSamples) * unitsPerPixel;
                    const std::uint32_t argb = ColourAt(u, v);
                    if (argb == 0) {
                        continue;
                    }
                    ++covered;
                    red += (argb >> 16) & 0xFF;
                    green += (argb >> 8) & 0xFF;
                    blue += argb & 0xFF;
                }
            }
            if (covered == 0) {
                continue;
            }
            // Colour is the mean of the covered samples alone; coverage becomes the opacity.
            const auto mean = [covered](unsigned sum) { return (sum + covered / 2) / covered; };
            const unsigned alpha =
                (covered * 255 + kSamples * kSamples / 2) / (kSamples * kSamples);
            picture.SetPixel(x, y,
                             (alpha << 24) | (mean(red) << 16) | (mean(green) << 8) | mean(blue));
        }
    }
    return picture;
}

std::uint32_t CDropDrawing::ColourAt(double u, double v) const {
    for (auto layer = m_layers.rbegin(); layer != m_layers.rend(); ++layer) {
        if (Covers(*layer, u, v)) {
            return kOpaque | layer->rgb;
        }
    }
    return 0;
}

bool CDropDrawing::Covers(const Layer& layer, double u, double v) {
    const double dx = u - layer.cx;
    const double dy = v - layer.cy;
    switch (layer.kind) {
    case ShapeKind::Ellipse:
        return InsideEllipse(dx, dy, layer.rx, layer.ry);
    case ShapeKind::Ring: {
        const double half = layer.w / 2;
        return InsideEllipse(dx, dy, layer.rx + half, layer.ry + half) &&
               !InsideEllipse(dx, dy, layer.rx - half, layer.ry - half);
    }
    case ShapeKind::Drop:
        return InsideDrop(dx, v, layer.cy, layer.rx, layer.ry);
    }
    return false;
}

std::string CDropDrawing::Svg() const {
    const std::string size = std::to_string(m_nDesignSize);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      size + "\" height=\"" + size + "\" viewBox=\"0 0 " + size + " " + size +
                      "\">\n";
    for (const Layer& layer : m_layers) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(layer.rgb));
        svg += "  <path fill=\"" + std::string(colour) + "\" fill-rule=\"evenodd\" d=\"" +
               SvgPath(layer) + "\"/>\n";
    }
    return svg + "</svg>\n";
}

// The outline of exactly the points Covers() takes as inside the layer.
std::string CDropDrawing::SvgPath(const Layer& layer) {
    switch (layer.kind) {
    case ShapeKind::Ellipse:
        return EllipsePath(layer.cx, layer.cy, layer.rx, layer.ry);
    case ShapeKind::Ring: {
        // The inner ellipse cuts the hole out under the even-odd rule.
        const double half = layer.w / 2;
        return EllipsePath(layer.cx, layer.cy, layer.rx + half, layer.ry + half) + " " +
               EllipsePath(layer.cx, layer.cy, layer.rx - half, layer.ry - half);
    }
    case ShapeKind::Drop: {
        const double radius = layer.rx;
        const DropSides sides = SidesOf(layer.cy, radius, layer.ry);
        if (sides.side <= 0.0) {
            return EllipsePath(layer.cx, layer.cy, radius, radius);
        }
        // From the tip down the right side, round the bottom of the body, and back up.
        return "M" + Point(layer.cx, layer.ry) + "L" +
               Point(layer.cx + sides.halfWidth, sides.touchY) + "A" + Number(radius) + "," +
               Number(radius) + " 0 1 1 " + Point(layer.cx - sides.halfWidth, sides.touchY) + "Z";
    }
    }
    return "";
}

std::uint32_t CDropDrawing::Colour(const IconImage& design, int paletteIndex) {
    const auto index = static_cast<std::size_t>(paletteIndex);
    return index < design.palette.size() ? design.palette[index] & 0xFFFFFF : 0;
}
