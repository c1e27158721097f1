#include "standin/view/globe.h"

#include <QColor>

#include <algorithm>
#include <array>
#include <cmath>

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

double enclosingScale(const SphereMesh &mesh)
{
    // The mesh is convex and holds the origin: its nearest approach is the
    // nearest of its faces' planes. The triangles that shrink to a point at
    // the poles have none.
    double nearest = 1;
    const auto at = [&](std::uint32_t i) {
        const float *v = &mesh.vertices[size_t(i) * 5];
        return std::array<double, 3>{v[0], v[1], v[2]};
    };
    for (size_t k = 0; k + 2 < mesh.indices.size(); k += 3) {
        const auto a = at(mesh.indices[k]), b = at(mesh.indices[k + 1]), c = at(mesh.indices[k + 2]);
        const std::array<double, 3> u{b[0] - a[0], b[1] - a[1], b[2] - a[2]}, w{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const std::array<double, 3> n{u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (len < 1e-9)
            continue;
        nearest = std::min(nearest, std::abs(n[0] * a[0] + n[1] * a[1] + n[2] * a[2]) / len);
    }
    // A hair more for the vertices' float rounding.
    return 1.0005 / nearest;
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
