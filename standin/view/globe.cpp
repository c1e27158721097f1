#include "standin/view/globe.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace zep::view {

SphereMesh makeSphere(int stacks, int slices)
{
    SphereMesh m;
    stacks = std::max(stacks, 2);
    slices = std::max(slices, 3);
    m.stacks = stacks;
    m.slices = slices;
    constexpr double pi = 3.14159265358979323846;
    m.vertices.reserve(size_t(stacks + 1) * size_t(slices + 1) * 5);
    for (int i = 0; i <= stacks; ++i) {
        const double v = double(i) / stacks;
        const double lat = pi / 2 - v * pi;
        for (int j = 0; j <= slices; ++j) {
            const double u = double(j) / slices;
            const double lon = -pi + u * 2 * pi;
            m.vertices.insert(m.vertices.end(),
                              {float(std::cos(lat) * std::cos(lon)), float(std::cos(lat) * std::sin(lon)),
                               float(std::sin(lat)), float(u), float(v)});
        }
    }
    const std::uint32_t row = std::uint32_t(slices + 1);
    m.indices.reserve(size_t(stacks) * size_t(slices) * 6);
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const std::uint32_t a = std::uint32_t(i) * row + std::uint32_t(j), b = a + row;
            // Counter-clockwise seen from outside.
            m.indices.insert(m.indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    }
    return m;
}

int sphereSlicesFor(double pixelRadius)
{
    constexpr double pi = 3.14159265358979323846;
    constexpr double kMaxStray = 0.4;
    for (const int slices : kSphereSlices) {
        // An edge's middle lies r (1 - cos(pi / slices)) inside the circle.
        if (pixelRadius > 0 && pixelRadius * (1 - std::cos(pi / slices)) < kMaxStray)
            return slices;
    }
    return std::end(kSphereSlices)[-1];
}

QImage proceduralGlobe(int width, int height)
{
    QImage img(std::max(width, 2), std::max(height, 2), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        const double lat = 90.0 - 180.0 * (y + 0.5) / img.height();
        const double a = std::abs(lat);
        QColor c;
        if (a > 78) {
            c = QColor(232, 240, 248);  // ice
        } else {
            // Warm shallow blue at the equator, deep cold blue towards the poles.
            const double k = a / 78.0;
            c = QColor::fromRgbF(float(0.10 - 0.05 * k), float(0.36 - 0.14 * k), float(0.66 - 0.16 * k));
            const double band = std::abs(std::fmod(a, 30.0));
            if (band < 0.6 || band > 29.4)
                c = c.lighter(135);
        }
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        std::fill(line, line + img.width(), c.rgb());
    }
    return img;
}

} // namespace zep::view
