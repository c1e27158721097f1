#include "toolbar/rangecolours.h"

#include <cmath>

namespace velmora::toolbar {

namespace {

// Relative luminance and contrast ratio as the accessibility guidelines define
// them for sRGB colours.
double luminance(const QColor &c)
{
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

QColor OutOfRangeColour(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    // Above this luminance black text reads better than white.
    const bool lightField = luminance(base) > 0.179;
    QColor red(255, 0, 0);
    // Pure red reaches 4.0:1 on white and 5.3:1 on black: a light field takes
    // a slightly darker red, a dark one a red mixed with white. The walk ends
    // at black or white, the best any colour can do.
    for (int step = 0; step <= 255 && contrast(red, base) < kLegibleContrast; ++step)
        red = lightField ? QColor(255 - step, 0, 0) : QColor(255, step, step);
    return red;
}

} // namespace velmora::toolbar
