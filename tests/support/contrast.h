#pragma once
// Contrast of text against its background as the accessibility guidelines
// define it, worked out here on its own so that it checks the programs'
// choice of colours. Header only, Qt Gui only.

#include <QColor>

#include <algorithm>
#include <cmath>

namespace velmora::testing {

inline double ContrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A translucent box over a backdrop, as the eye sees it.
inline QColor Over(const QColor &box, const QColor &behind)
{
    const double a = box.alphaF();
    const auto mix = [a](double top, double below) { return top * a + below * (1 - a); };
    return QColor::fromRgbF(float(mix(box.redF(), behind.redF())), float(mix(box.greenF(), behind.greenF())),
                            float(mix(box.blueF(), behind.blueF())));
}

} // namespace velmora::testing
